#include "support/UrlText.h"

#include <gtest/gtest.h>
#include <optional>
#include <tuple>
#include <utility>

using namespace tw;

TEST(UrlText, ReferencesResolveAsRfc3986Says) {
    const char* base = "http://a/b/c/d;p?q";
    const std::pair<const char*, const char*> cases[] = {
        {"g", "http://a/b/c/g"},      {"./g/", "http://a/b/c/g/"},     {"/g", "http://a/g"},
        {"//g", "http://g"},          {"?y", "http://a/b/c/d;p?y"},    {"#s", "http://a/b/c/d;p?q"},
        {"../../../g", "http://a/g"}, {" g?y#s ", "http://a/b/c/g?y"}, {"https:x/../y", "https:/y"},
    };
    for (const auto& [ref, resolved] : cases)
        EXPECT_EQ(ResolveURL(base, ref), resolved) << ref;
}

TEST(UrlText, UrlsSplitAndCompareByTheirParts) {
    struct Case {
        const char* url;
        const char* scheme;
        const char* authority; // nullptr: none
        const char* path;
        const char* query; // nullptr: none
        const char* origin;
        bool web;
    };
    for (const Case& c : {
             Case{"HTTPS://Ex.ORG:443/a?b#c", "HTTPS", "Ex.ORG:443", "/a", "b", "https://ex.org",
                  true},
             Case{"http://a:80", "http", "a:80", "", nullptr, "http://a", true},
             Case{"http://a:443/", "http", "a:443", "/", nullptr, "http://a:443", true},
             Case{"ftp://a/x", "ftp", "a", "/x", nullptr, "ftp://a", false},
             Case{"https:///x", "https", "", "/x", nullptr, "https://", false},
             Case{"a/b:c?d", "", nullptr, "a/b:c", "d", "://", false},
             Case{"1a:b", "", nullptr, "1a:b", nullptr, "://", false},
         }) {
        URLParts parts = SplitURL(c.url);
        EXPECT_EQ(parts.Scheme, c.scheme) << c.url;
        EXPECT_EQ(parts.HasScheme, *c.scheme != 0) << c.url;
        EXPECT_EQ(parts.HasAuthority ? std::optional<std::string_view>(parts.Authority)
                                     : std::nullopt,
                  c.authority ? std::optional<std::string_view>(c.authority) : std::nullopt)
            << c.url;
        EXPECT_EQ(parts.Path, c.path) << c.url;
        EXPECT_EQ(parts.HasQuery ? std::optional<std::string_view>(parts.Query) : std::nullopt,
                  c.query ? std::optional<std::string_view>(c.query) : std::nullopt)
            << c.url;
        EXPECT_EQ(OriginOf(parts), c.origin) << c.url;
        EXPECT_EQ(IsWebURL(c.url), c.web) << c.url;
    }
    for (const auto& [path, clean] : {std::pair{"/a/b/c/./../../g", "/a/g"},
                                      {"mid/content=5/../6", "mid/6"},
                                      {"/..", "/"},
                                      {"./.", ""}})
        EXPECT_EQ(RemoveDotSegments(path), clean) << path;
}

TEST(UrlText, HostsPortsAndPercentEscapes) {
    const std::pair<const char*, std::optional<std::pair<const char*, const char*>>> hosts[] = {
        {"a.org", {{"a.org", ""}}}, {"a.org:8080", {{"a.org", "8080"}}},
        {"a:b:1", {{"a:b", "1"}}},  {"[::1]:443", {{"[::1]", "443"}}},
        {"[::1]", {{"[::1]", ""}}}, {"[::1", std::nullopt},
        {"[::1]x", std::nullopt},   {"", {{"", ""}}}};
    for (const auto& [authority, expected] : hosts) {
        std::optional<HostAndPort> got = SplitHostPort(authority);
        ASSERT_EQ(got.has_value(), expected.has_value()) << authority;
        if (got) {
            EXPECT_EQ(got->Host, expected->first) << authority;
            EXPECT_EQ(got->Port, expected->second) << authority;
        }
    }
    for (const auto& [text, decoded, kept] :
         {std::tuple{"a%41%4a%zz%4", "aAJ%zz%4", "a%41%4a%25zz%254"},
          {"%", "%", "%25"},
          {"x y\"<\x7F\xC3", "x y\"<\x7F\xC3", "x%20y%22%3C%7F%C3"}}) {
        EXPECT_EQ(PercentDecoded(text), decoded) << text;
        std::string out = "/";
        AppendUrlBytes(out, text);
        EXPECT_EQ(out, "/" + std::string(kept)) << text;
    }
}
