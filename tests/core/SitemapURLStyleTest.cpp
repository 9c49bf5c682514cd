#include "output/SearchSitemaps.h"
#include "support/Errors.h"
#include "support/NXStrings.h"
#include "support/UrlText.h"

#include <ctime>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>

using namespace tw;

TEST(SearchSitemapUrls, BytesOutsideTheUnreservedSetArePercentEncoded) {
    EXPECT_EQ(EncodeUrlPath("Az09-._~/x"), "Az09-._~/x");
    EXPECT_EQ(EncodeUrlPath("a b%c#d?e"), "a%20b%25c%23d%3Fe");
    EXPECT_EQ(EncodeUrlPath("caf\xC3\xA9 \xE6\x97\xA5.html"), "caf%C3%A9%20%E6%97%A5.html");
    EXPECT_EQ(EncodeUrlPath("bad\xFF\x01.htm"), "bad%FF%01.htm");
    EXPECT_EQ(EncodeUrlPath("it's&\"<>+;=:@"), "it%27s%26%22%3C%3E%2B%3B%3D%3A%40");

    for (const char* base :
         {"https://example.org", "https://example.org/", "https://example.org//"})
        EXPECT_EQ(JoinSitemapURL(base, "a b/c.html"), "https://example.org/a%20b/c.html") << base;
    EXPECT_EQ(JoinSitemapURL("http://example.org/site/", "/x.html"),
              "http://example.org/site/x.html");

    EXPECT_EQ(EscapeXmlText("a&b'c\"d<e>f"), "a&amp;b&apos;c&quot;d&lt;e&gt;f");
}

TEST(SearchSitemapUrls, BaseUrlMustBeAbsoluteHttpWithAHost) {
    for (const char* good :
         {"https://example.org", "http://example.org:8080/site/", "HTTPS://Example.org/a%20b/",
          "https://user@[::1]:443/", "https://example.org/a&b'/"})
        EXPECT_EQ(SitemapBaseURLError(good), "") << good;

    struct Case {
        const char* url;
        const char* complaint;
    };
    for (const Case& c :
         {Case{"", "absolute http"}, Case{"example.org/", "absolute http"},
          Case{"/var/www/", "absolute http"}, Case{"ftp://example.org/", "absolute http"},
          Case{"https:/example.org/", "absolute http"}, Case{"https://", "no host"},
          Case{"https:///path/", "no host"}, Case{"https://user@/", "no host"},
          Case{"https://example.org/?page=1", "query or a fragment"},
          Case{"https://example.org/#top", "query or a fragment"},
          Case{"https://exa mple.org/", "character"},
          Case{"https://example.org/a%zz/", "character"},
          Case{"https://example.org/caf\xC3\xA9/", "character"},
          Case{"https://example.org/a\"b/", "character"}, Case{"https://example.org:80a/", "port"},
          Case{"https://[::1/", "host"}}) {
        std::string error = SitemapBaseURLError(c.url);
        EXPECT_NE(error.find(c.complaint), std::string::npos) << c.url << ": " << error;
    }

    TSiteMapTree tree;
    SearchSitemapOptions options;
    options.BaseURL = "www.example.org";
    options.XmlOutput = "/nonexistent/sitemap.xml";
    EXPECT_THROW(WriteSearchSitemaps(tree, options), TError);
}

TEST(SearchSitemapUrls, LastmodIsAW3CDateTimeInUtc) {
    EXPECT_EQ(W3CDateTime(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(W3CDateTime(1700000000), "2023-11-14T22:13:20Z");
    EXPECT_EQ(W3CDateTime(951825600), "2000-02-29T12:00:00Z");
    // Outside four-digit years a lastmod would not be a valid date: none is given.
    EXPECT_EQ(W3CDateTime(static_cast<time_t>(400000000000LL)), "");
}

TEST(SearchSitemapUrls, AlternatesNeedALanguageTagAndAWebUrl) {
    for (const char* tag : {"en", "EN-gb", "de-CH-1996", "zh-Hant-TW", "sr-Latn-RS", "zh-yue-HK",
                            "x-default", "x-whatever", "en-a-bbb-x-a-ccc", "i-klingon", "es-419"})
        EXPECT_TRUE(IsSitemapLanguageTag(tag)) << tag;
    for (const char* tag : {"", "e", "en_US", "en-", "-en", "en--us", "englishlanguage", "en-a",
                            "en-x", "de-1996-a", "123", "en\x01", "en\xFF", "x"})
        EXPECT_FALSE(IsSitemapLanguageTag(tag)) << tag;

    const std::pair<const char*, const char*> urls[] = {
        {"HTTPS://Example.ORG:443/a b\"<x>#f", "https://example.org/a%20b%22%3Cx%3E"},
        {"http://[::1]:8080?q=%zz&r=%41", "http://[::1]:8080/?q=%25zz&r=%41"},
        {"http://10.0.0.1:65535/", "http://10.0.0.1:65535/"},
        {"javascript:alert(1)", nullptr},
        {"https://[::1/", nullptr},
        {"https://example.org:99999/", nullptr},
        {"https://example.org:0/", nullptr},
        {"https://exa\x01mple.org/", nullptr},
        {"https://user@example.org/", nullptr},
        {"https://999.1.1.1/", nullptr},
        {"https://-a.org/", nullptr},
        {"ftp://a.org/", nullptr},
        {"https:///x", nullptr},
        {"https://ex ample.org/", nullptr}};
    for (const auto& [url, listed] : urls)
        EXPECT_EQ(SitemapWebURL(url), listed ? std::optional<std::string>(listed) : std::nullopt)
            << url;
}
