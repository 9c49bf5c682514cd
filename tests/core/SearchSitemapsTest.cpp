#include "output/SearchSitemaps.h"

#include "core/SitemapCheck.h"
#include "core/TestUtil.h"
#include "persist/FailingFile.h"
#include "scan/ScanRun.h"
#include "support/Errors.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <sys/time.h>
#include <unistd.h>

using namespace tw;
using twtest::Exists;
using twtest::FailingFile;
using twtest::Lines;
using twtest::Locs;
using twtest::ReadAll;
using twtest::SchemaErrors;
using twtest::TempDir;

namespace {

void SetModified(const std::string& path, time_t when) {
    timeval times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(utimes(path.c_str(), times), 0) << path;
}

class SearchSitemapsTest : public ::testing::Test {
protected:
    void SetUp() override {
        profile = MakeStartupProfile();
        profile.SetFileTypes(
            "*.html;*.htm;*.php;*.gif;*.png;*.jpeg;*.svg;*.tiff;*.swf;*.txt;*.xml;");
        profile.SetIndexPage(site / "index.html");
        profile.SetOutputFileName(site / "sitemap.html");
        options.BaseURL = "https://example.org/";
        options.SiteFolder = site.Path();
        options.XmlOutput = site / "sitemap.xml";
    }

    void Scan() {
        ScanRun scan(tree, profile);
        scan.SetFileTimesWanted(fileTimes);
        scan.Run();
    }

    SearchSitemapResult Write(const SitemapFileFactory& createFile = {}) {
        Scan();
        return WriteSearchSitemaps(
            tree, options, [this](const SitemapFileWritten& f) { written.push_back(f); },
            createFile);
    }

    std::vector<std::string> XmlUrls() { return Locs(ReadAll(options.XmlOutput)); }

    TempDir site;
    TMapProfile profile;
    TSiteMapTree tree;
    SearchSitemapOptions options;
    std::vector<SitemapFileWritten> written;
    bool fileTimes = false;
};

} // namespace

TEST(SearchSitemapUrls, BytesOutsideTheUnreservedSetArePercentEncoded) {
    EXPECT_EQ(EncodeSitemapPath("Az09-._~/x"), "Az09-._~/x");
    EXPECT_EQ(EncodeSitemapPath("a b%c#d?e"), "a%20b%25c%23d%3Fe");
    EXPECT_EQ(EncodeSitemapPath("caf\xC3\xA9 \xE6\x97\xA5.html"), "caf%C3%A9%20%E6%97%A5.html");
    EXPECT_EQ(EncodeSitemapPath("bad\xFF\x01.htm"), "bad%FF%01.htm");
    EXPECT_EQ(EncodeSitemapPath("it's&\"<>+;=:@"), "it%27s%26%22%3C%3E%2B%3B%3D%3A%40");

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

TEST_F(SearchSitemapsTest, AwkwardNamesAreEncodedAndEscapedInBothFiles) {
    site.Write("index.html");
    site.Write("a b/100% #1?.html");
    site.Write("caf\xC3\xA9.html");
    site.Write("bad\xFF.htm");
    site.Write("it's&more.html");
    SetModified(site / "caf\xC3\xA9.html", 1700000000);
    options.BaseURL = "https://example.org/a&b'/";
    options.TextOutput = site / "sitemap.txt";
    SearchSitemapResult result = Write();

    EXPECT_EQ(result.Urls, 5u);
    EXPECT_EQ(result.XmlFiles, 1u);
    std::string xml = ReadAll(options.XmlOutput);
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n"
                        "<url><loc>",
                        0),
              0u)
        << xml;
    EXPECT_TRUE(xml.ends_with("</url>\n</urlset>\n"));
    EXPECT_NE(xml.find("<url><loc>https://example.org/a&amp;b&apos;/caf%C3%A9.html</loc>"
                       "<lastmod>2023-11-14T22:13:20Z</lastmod></url>\n"),
              std::string::npos)
        << xml;
    const std::vector<std::string> expected = {
        "https://example.org/a&b'/index.html",
        "https://example.org/a&b'/bad%FF.htm",
        "https://example.org/a&b'/caf%C3%A9.html",
        "https://example.org/a&b'/it%27s%26more.html",
        "https://example.org/a&b'/a%20b/100%25%20%231%3F.html",
    };
    std::vector<std::string> escaped;
    for (const auto& url : expected)
        escaped.push_back(EscapeXmlText(url));
    EXPECT_EQ(Locs(xml), escaped);
    EXPECT_EQ(Lines(ReadAll(site / "sitemap.txt")), expected);
    EXPECT_EQ(SchemaErrors("sitemap.xsd", options.XmlOutput), "");

    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].Kind, SitemapFileKind::XmlSitemap);
    EXPECT_EQ(written[0].Path, options.XmlOutput);
    EXPECT_EQ(written[1].Kind, SitemapFileKind::Text);
    EXPECT_EQ(written[1].Entries, 5u);
}

TEST_F(SearchSitemapsTest, FoldersGiveTheirDefaultPageOnceAndNothingWithoutOne) {
    site.Write("index.html");
    site.Write("about.html");
    site.Write("docs/manual.html"); // docs has no default page
    site.Write("news/index.html");  // listed under news and as a file
    site.Write("news/story.html");
    site.Write("shop/welcome.html"); // the third name a default page may have
    site.Write("blog/index.asp");    // a default page of a type not scanned
    site.Write("blog/post.html");
    Write();
    EXPECT_EQ(XmlUrls(), (std::vector<std::string>{
                             "https://example.org/index.html",
                             "https://example.org/about.html",
                             "https://example.org/blog/index.asp",
                             "https://example.org/blog/post.html",
                             "https://example.org/docs/manual.html",
                             "https://example.org/news/index.html",
                             "https://example.org/news/story.html",
                             "https://example.org/shop/welcome.html",
                         }));
}

TEST_F(SearchSitemapsTest, TimesTakenByTheScanAreTheLastmods) {
    // A page read for its title, a folder through its default page, a file
    // that is not read, and a folder whose default page is no node.
    for (const char* name : {"index.html", "news/index.html", "notes.txt", "blog/index.asp"}) {
        site.Write(name);
        SetModified(site / name, 1700000000);
    }
    site.Write("blog/post.html");
    fileTimes = true;
    Scan();
    for (const char* name : {"index.html", "news/index.html", "notes.txt", "blog/index.asp"})
        SetModified(site / name, 1600000000);
    WriteSearchSitemaps(tree, options);
    const std::string xml = ReadAll(options.XmlOutput);
    for (const char* url : {"index.html", "news/index.html", "notes.txt"})
        EXPECT_NE(xml.find(std::string("example.org/") + url + "</loc><lastmod>2023-11-14T"),
                  std::string::npos)
            << url << "\n"
            << xml;
    // No node took that page's time: it is read when the sitemap is written.
    EXPECT_NE(xml.find("blog/index.asp</loc><lastmod>2020-09-13T"), std::string::npos) << xml;
}

TEST_F(SearchSitemapsTest, PicturesOnlyWhenAskedFor) {
    site.Write("index.html");
    for (const char* name : {"logo.PNG", "photo.JpEg", "icon.svg", "scan.tiff", "old.gif"})
        site.Write(std::string("img/") + name);
    site.Write("img/anim.swf"); // a picture to the tree, not one to search engines
    Write();
    EXPECT_EQ(XmlUrls(), (std::vector<std::string>{"https://example.org/index.html",
                                                   "https://example.org/img/anim.swf"}));

    options.IncludePictures = true;
    SearchSitemapResult result = WriteSearchSitemaps(tree, options);
    EXPECT_EQ(result.Urls, 7u);
    std::vector<std::string> urls = XmlUrls();
    EXPECT_NE(std::find(urls.begin(), urls.end(), "https://example.org/img/logo.PNG"), urls.end());
    EXPECT_NE(std::find(urls.begin(), urls.end(), "https://example.org/img/photo.JpEg"),
              urls.end());
}

TEST_F(SearchSitemapsTest, TheSitemapsNeverListThemselves) {
    site.Write("index.html");
    site.Write("sitemap.xml", "old");
    site.Write("sitemap-2.xml", "old chunk");
    site.Write("sitemap.txt", "old text");
    site.Write("sitemap-two.xml");
    site.Write("notes.txt");
    options.TextOutput = site / "sitemap.txt";
    Write();
    EXPECT_EQ(XmlUrls(), (std::vector<std::string>{"https://example.org/index.html",
                                                   "https://example.org/notes.txt",
                                                   "https://example.org/sitemap-two.xml"}));
}

TEST_F(SearchSitemapsTest, ManyUrlsAreSplitIntoNumberedSitemapsWithAnIndex) {
    site.Write("index.html");
    for (int i = 1; i <= 4; ++i)
        site.Write("p" + std::to_string(i) + ".html");
    options.MaxUrlsPerFile = 2;
    options.TextOutput = site / "sitemap.txt";
    SearchSitemapResult result = Write();

    EXPECT_EQ(result.Urls, 5u);
    EXPECT_EQ(result.XmlFiles, 3u);
    std::vector<std::string> all;
    for (int chunk = 1; chunk <= 3; ++chunk) {
        std::string path = site / ("sitemap-" + std::to_string(chunk) + ".xml");
        std::vector<std::string> urls = Locs(ReadAll(path));
        EXPECT_EQ(urls.size(), chunk < 3 ? 2u : 1u) << path;
        all.insert(all.end(), urls.begin(), urls.end());
        EXPECT_EQ(SchemaErrors("sitemap.xsd", path), "");
    }
    EXPECT_FALSE(Exists(site / "sitemap-4.xml"));
    // The text sitemap is not split: the same URLs in the same order.
    EXPECT_EQ(Lines(ReadAll(site / "sitemap.txt")), all);

    std::string index = ReadAll(options.XmlOutput);
    EXPECT_EQ(SchemaErrors("siteindex.xsd", options.XmlOutput), "");
    EXPECT_EQ(Locs(index), (std::vector<std::string>{"https://example.org/sitemap-1.xml",
                                                     "https://example.org/sitemap-2.xml",
                                                     "https://example.org/sitemap-3.xml"}));
    EXPECT_TRUE(std::regex_search(
        index, std::regex("<sitemap><loc>https://example.org/sitemap-1.xml</loc><lastmod>"
                          "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ</lastmod></sitemap>\n")))
        << index;

    std::vector<std::string> kinds;
    for (const auto& f : written)
        kinds.push_back(ExtractFileName(f.Path) + " " + std::to_string(f.Entries));
    EXPECT_EQ(kinds,
              (std::vector<std::string>{"sitemap-1.xml 2", "sitemap-2.xml 2", "sitemap-3.xml 1",
                                        "sitemap.xml 3", "sitemap.txt 5"}));
}

TEST_F(SearchSitemapsTest, NumberedSitemapsOutsideTheSiteAreNamedByFileNameAndKeepTheByteLimit) {
    TempDir elsewhere;
    site.Write("index.html");
    for (int i = 0; i < 20; ++i)
        site.Write("section/page-with-a-longer-name-" + std::to_string(i) + ".html");
    options.XmlOutput = elsewhere / "map.XML";
    options.MaxBytesPerFile = 1000;
    SearchSitemapResult result = Write();

    ASSERT_GT(result.XmlFiles, 2u);
    size_t urls = 0;
    std::vector<std::string> expectedIndex;
    for (size_t chunk = 1; chunk <= result.XmlFiles; ++chunk) {
        std::string name = "map-" + std::to_string(chunk) + ".xml";
        std::string xml = ReadAll(elsewhere / name);
        EXPECT_LE(xml.size(), 1000u) << name;
        urls += Locs(xml).size();
        expectedIndex.push_back("https://example.org/" + name);
    }
    EXPECT_EQ(urls, 21u);
    EXPECT_EQ(Locs(ReadAll(options.XmlOutput)), expectedIndex);
}

TEST_F(SearchSitemapsTest, BadLengthAndTooShortUrlsAreLeftOut) {
    std::string deep;
    for (int level = 0; level < 4; ++level) {
        for (int i = 0; i < 100; ++i)
            deep += "\xC3\xA9"; // six characters once encoded
        deep += "/";
    }
    site.Write("index.html");
    site.Write(deep + "page.html");
    SearchSitemapResult result = Write();
    EXPECT_EQ(result.Urls, 1u);
    EXPECT_EQ(result.BadLength, 1u);
    EXPECT_EQ(XmlUrls(), (std::vector<std::string>{"https://example.org/index.html"}));

    // "http://ab/x" is shorter than the twelve characters a location needs.
    TSiteMapTree small;
    TDataRec rec;
    rec.LinkURL = "x";
    small.Add(nullptr, rec, kImagePage);
    rec.LinkURL = "xyz";
    small.Add(nullptr, rec, kImagePage);
    options.BaseURL = "http://ab";
    result = WriteSearchSitemaps(small, options);
    EXPECT_EQ(result.BadLength, 1u);
    EXPECT_EQ(XmlUrls(), (std::vector<std::string>{"http://ab/xyz"}));
}

TEST_F(SearchSitemapsTest, AFailedWriteKeepsTheOldFiles) {
    site.Write("index.html");
    site.Write("sitemap.xml", "old xml");
    site.Write("sitemap.txt", "old text");
    options.TextOutput = site / "sitemap.txt";

    // The XML file fails half way: it keeps its old bytes and is named.
    auto failXml = [this](const std::string& path) -> std::unique_ptr<AtomicFile> {
        if (path == options.XmlOutput)
            return std::make_unique<FailingFile>(path, 50);
        return std::make_unique<AtomicFile>(path);
    };
    try {
        Write(failXml);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + options.XmlOutput);
    }
    EXPECT_EQ(ReadAll(options.XmlOutput), "old xml");
    EXPECT_EQ(ReadAll(site / "sitemap.txt"), "old text");

    // A text file in a missing folder stops the run before the XML is replaced.
    options.TextOutput = site / "missing/sitemap.txt";
    try {
        WriteSearchSitemaps(tree, options);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + options.TextOutput);
    }
    EXPECT_EQ(ReadAll(options.XmlOutput), "old xml");

    // No temporary file is left behind.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(site.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"index.html", "sitemap.txt", "sitemap.xml"}));
}
