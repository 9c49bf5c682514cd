#include "support/UrlText.h"

#include <gtest/gtest.h>
#include <optional>
#include <tuple>
#include <utility>

using namespace tw;

namespace {

// The parts as "scheme|authority|path|query" ("-" for a part the URL lacks),
// the origin, and "web" for an absolute http or https URL with a host.
std::string Described(std::string_view url) {
    URLParts p = SplitURL(url);
    auto part = [](bool has, std::string_view text) { return has ? std::string(text) : "-"; };
    return part(p.HasScheme, p.Scheme) + "|" + part(p.HasAuthority, p.Authority) + "|" +
           std::string(p.Path) + "|" + part(p.HasQuery, p.Query) + " " + OriginOf(p) +
           (IsWebURL(url) ? " web" : "");
}

} // namespace

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
    const std::pair<const char*, const char*> urls[] = {
        {"HTTPS://Ex.ORG:443/a?b#c", "HTTPS|Ex.ORG:443|/a|b https://ex.org web"},
        {"http://a:80", "http|a:80||- http://a web"},
        {"http://a:443/", "http|a:443|/|- http://a:443 web"},
        {"ftp://a/x", "ftp|a|/x|- ftp://a"},
        {"https:///x", "https||/x|- https://"},
        {"a/b:c?d", "-|-|a/b:c|d ://"},
        {"1a:b", "-|-|1a:b|- ://"}};
    for (const auto& [url, described] : urls)
        EXPECT_EQ(Described(url), described) << url;
    for (const auto& [path, clean] : {std::pair{"/a/b/c/./../../g", "/a/g"},
                                      {"mid/content=5/../6", "mid/6"},
                                      {"/..", "/"},
                                      {"./.", ""}})
        EXPECT_EQ(RemoveDotSegments(path), clean) << path;
}

TEST(UrlText, HostsPortsAndPercentEscapes) {
    const std::pair<const char*, const char*> hosts[] = {
        {"a.org", "a.org|"}, {"a.org:8080", "a.org|8080"},
        {"a:b:1", "a:b|1"},  {"[::1]:443", "[::1]|443"},
        {"[::1]", "[::1]|"}, {"[::1", "none"},
        {"[::1]x", "none"},  {"", "|"}};
    for (const auto& [authority, expected] : hosts) {
        std::optional<HostAndPort> got = SplitHostPort(authority);
        EXPECT_EQ(got ? std::string(got->Host) + "|" + std::string(got->Port) : "none", expected)
            << authority;
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
