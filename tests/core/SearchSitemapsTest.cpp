#include "output/SearchSitemaps.h"

#include "core/SitemapCheck.h"
#include "core/TestUtil.h"
#include "output/GitDates.h"
#include "persist/FailingFile.h"
#include "scan/ScanRun.h"
#include "support/Errors.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <optional>
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
        "https://example.org/a&b'/",
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
    site.Write("news/index.htm"); // news's default page is index.html
    Write();
    const std::vector<std::string> urls = {
        "https://example.org/",
        "https://example.org/about.html",
        "https://example.org/blog/",
        "https://example.org/blog/post.html",
        "https://example.org/docs/manual.html",
        "https://example.org/news/",
        "https://example.org/news/index.htm",
        "https://example.org/news/story.html",
        "https://example.org/shop/",
    };
    EXPECT_EQ(XmlUrls(), urls);
    // Clean URLs lose the page ending, never a folder's slash.
    options.CleanURLs = true;
    WriteSearchSitemaps(tree, options);
    std::vector<std::string> clean;
    for (const std::string& url : urls)
        clean.push_back(std::regex_replace(url, std::regex("\\.html?$"), ""));
    EXPECT_EQ(XmlUrls(), clean);
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
    for (const char* url : {"", "news/", "notes.txt"})
        EXPECT_NE(xml.find(std::string("example.org/") + url + "</loc><lastmod>2023-11-14T"),
                  std::string::npos)
            << url << "\n"
            << xml;
    // No node took that page's time: it is read when the sitemap is written.
    EXPECT_NE(xml.find("blog/</loc><lastmod>2020-09-13T"), std::string::npos) << xml;
}

TEST_F(SearchSitemapsTest, PicturesOnlyWhenAskedFor) {
    site.Write("index.html");
    for (const char* name : {"logo.PNG", "photo.JpEg", "icon.svg", "scan.tiff", "old.gif"})
        site.Write(std::string("img/") + name);
    site.Write("img/anim.swf"); // a picture to the tree, not one to search engines
    Write();
    EXPECT_EQ(XmlUrls(), (std::vector<std::string>{"https://example.org/",
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
    EXPECT_EQ(XmlUrls(),
              (std::vector<std::string>{"https://example.org/", "https://example.org/notes.txt",
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
    EXPECT_EQ(result.BadLength.Count, 1u);
    EXPECT_EQ(XmlUrls(), (std::vector<std::string>{"https://example.org/"}));

    // "http://ab/x" is shorter than the twelve characters a location needs.
    TSiteMapTree small;
    TDataRec rec;
    rec.LinkURL = "x";
    small.Add(nullptr, rec, kImagePage);
    rec.LinkURL = "xyz";
    small.Add(nullptr, rec, kImagePage);
    options.BaseURL = "http://ab";
    result = WriteSearchSitemaps(small, options);
    EXPECT_EQ(result.BadLength.Count, 1u);
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
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file " + options.XmlOutput + ": No space left on device");
    }
    EXPECT_EQ(ReadAll(options.XmlOutput), "old xml");
    EXPECT_EQ(ReadAll(site / "sitemap.txt"), "old text");

    // A text file in a missing folder stops the run before the XML is replaced.
    options.TextOutput = site / "missing/sitemap.txt";
    try {
        WriteSearchSitemaps(tree, options);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file " + options.TextOutput + ": No such file or directory");
    }
    EXPECT_EQ(ReadAll(options.XmlOutput), "old xml");

    // No temporary file is left behind.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(site.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"index.html", "sitemap.txt", "sitemap.xml"}));
}

// One site with every rule at work; the pages' facts are made up here as
// the scan will read them.
TEST_F(SearchSitemapsTest, TheSiteAndItsPagesDecideWhatIsListed) {
    site.Write("robots.txt", "User-agent: *\nDisallow: /private/\nAllow: /private/open");
    for (const char* name :
         {"index.html", "404.html", "about.html", "copy.html", "hidden/index.html", "en.html",
          "fr.html", "docs/index.html", "private/secret.html", "private/open.html", "img/a.png",
          "img/small.png", "img/large.png", "smfile.gif"})
        site.Write(name);
    std::map<std::string, PageFacts> facts;
    facts["index.html"].Images = {
        "img/a.png", "/img/small.png",  "https://example.org/img/large.png?v=2",
        "img/a.png", "img/missing.png", "https://cdn.example.net/img/a.png"};
    facts["hidden/index.html"].NoIndex = true; // a folder goes by its default page
    facts["copy.html"].Canonical = "about.html";
    facts["about.html"].Canonical = "HTTPS://Example.org:443/about.html";
    facts["docs/index.html"].Canonical = "index.html";
    facts["en.html"].Alternates = {{"en", "en.html"}, {"fr", "/fr.html"}, {"x-default", "en.html"}};
    facts["fr.html"].Alternates = {{"en", "https://example.org/en.html"}};
    Scan();
    std::map<int, const PageFacts*> byNode;
    tree.ForEach([&](SiteMapNode& node, int index) {
        if (auto it = facts.find(node.Data.LinkURL); it != facts.end() && !node.IsFolderNode())
            byNode[index] = &it->second;
    });
    options.FactsOf = [&](int index) { return byNode.count(index) ? byNode[index] : nullptr; };
    options.Images = options.IncludePictures = true;
    options.SiteMapPage = site / "sitemap.html";
    SearchSitemapResult result = WriteSearchSitemaps(tree, options);

    const std::string xml = ReadAll(options.XmlOutput);
    std::vector<std::string> urls = Locs(xml);
    std::sort(urls.begin(), urls.end());
    EXPECT_EQ(urls, (std::vector<std::string>{
                        "https://example.org/", "https://example.org/about.html",
                        "https://example.org/docs/", "https://example.org/en.html",
                        "https://example.org/fr.html", "https://example.org/img/a.png",
                        "https://example.org/img/large.png", "https://example.org/img/small.png",
                        "https://example.org/private/open.html"}));
    EXPECT_EQ(result.Disallowed.Count, 1u);
    EXPECT_EQ(twtest::Texts(xml, "image:loc"),
              (std::vector<std::string>{"https://example.org/img/a.png",
                                        "https://example.org/img/small.png",
                                        "https://example.org/img/large.png"}));
    // The pair names each other: both list both, and the x-default one gave.
    const std::string variants =
        "<xhtml:link rel=\"alternate\" hreflang=\"en\" href=\"https://example.org/en.html\"/>"
        "<xhtml:link rel=\"alternate\" hreflang=\"fr\" href=\"https://example.org/fr.html\"/>"
        "<xhtml:link rel=\"alternate\" hreflang=\"x-default\" "
        "href=\"https://example.org/en.html\"/></url>";
    auto count = [&xml](const std::string& text) {
        size_t n = 0;
        for (size_t at = xml.find(text); at != std::string::npos; at = xml.find(text, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count(variants), 2u) << xml;
    EXPECT_EQ(count("<xhtml:link "), 6u) << xml;
    EXPECT_EQ(SchemaErrors("sitemap-with-images.xsd", options.XmlOutput), "");

    // The extra elements count toward a sitemap's size.
    options.MaxBytesPerFile = 700;
    result = WriteSearchSitemaps(tree, options);
    size_t listed = 0;
    for (size_t chunk = 1; chunk <= result.XmlFiles; ++chunk) {
        std::string name = site / ("sitemap-" + std::to_string(chunk) + ".xml");
        EXPECT_LE(ReadAll(name).size(), 700u) << name;
        listed += Locs(ReadAll(name)).size();
    }
    EXPECT_EQ(listed, urls.size());

    // Every page, but never robots.txt or the item images.
    options.AllPages = true;
    options.MaxBytesPerFile = kSitemapMaxBytes;
    result = WriteSearchSitemaps(tree, options);
    EXPECT_EQ(result.Urls, urls.size() + 4);
    for (const char* page : {"404.html", "copy.html", "hidden/", "private/secret.html"})
        EXPECT_NE(ReadAll(options.XmlOutput).find(std::string("example.org/") + page + "<"),
                  std::string::npos)
            << page;

    // Below the host's root the site's robots.txt is not the crawlers'.
    options.AllPages = false;
    options.BaseURL = "https://example.org/site/";
    result = WriteSearchSitemaps(tree, options);
    EXPECT_TRUE(result.RobotsNotApplied);
    EXPECT_EQ(result.Disallowed.Count, 0u);
}

TEST_F(SearchSitemapsTest, GzipSitemapsAreTheSameBytesForTheSameSite) {
    site.Write("index.html");
    for (int i = 1; i <= 4; ++i)
        site.Write("p" + std::to_string(i) + ".html");
    options.Gzip = true;
    options.XmlOutput = site / "sitemap.xml.gz";
    options.MaxUrlsPerFile = 2;
    Write();
    std::vector<std::string> files = {"sitemap.xml.gz", "sitemap-1.xml.gz", "sitemap-2.xml.gz",
                                      "sitemap-3.xml.gz"};
    std::vector<std::string> bytes;
    for (const std::string& name : files) {
        bytes.push_back(ReadAll(site / name));
        // The magic, deflate, no flags and no time.
        EXPECT_EQ(bytes.back().substr(0, 8), std::string("\x1F\x8B\x08\0\0\0\0\0", 8)) << name;
        EXPECT_EQ(SchemaErrors(name == files[0] ? "siteindex.xsd" : "sitemap.xsd", site / name),
                  "");
    }
    EXPECT_EQ(Locs(twtest::Gunzipped(options.XmlOutput)),
              (std::vector<std::string>{"https://example.org/sitemap-1.xml.gz",
                                        "https://example.org/sitemap-2.xml.gz",
                                        "https://example.org/sitemap-3.xml.gz"}));
    EXPECT_FALSE(Exists(site / "sitemap.xml"));
    WriteSearchSitemaps(tree, options);
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(ReadAll(site / files[i]), bytes[i]) << files[i];
}

// Runs one after the other on one site: what each finds of the earlier ones.
TEST_F(SearchSitemapsTest, SitemapsOfTheOtherFormOrBeyondTheLastPartAreNamedAndKept) {
    for (const char* page : {"index.html", "a.html", "b.html", "c.html", "d.html"})
        site.Write(page);
    Scan();
    struct Case {
        bool gzip;
        size_t maxUrls;
        std::vector<std::string> older;
    };
    const Case runs[] = {
        {false, 2, {}},
        {false, 3, {"sitemap-3.xml"}},
        {true, 10, {"sitemap.xml", "sitemap-1.xml", "sitemap-2.xml", "sitemap-3.xml"}},
        {false, 10, {"sitemap.xml.gz", "sitemap-1.xml", "sitemap-2.xml", "sitemap-3.xml"}},
    };
    for (const Case& c : runs) {
        options.Gzip = c.gzip;
        options.XmlOutput =
            SitemapXmlFileName(site / (c.gzip ? "sitemap.xml.gz" : "sitemap.xml"), c.gzip);
        options.MaxUrlsPerFile = c.maxUrls;
        std::vector<std::string> older;
        for (const std::string& path : WriteSearchSitemaps(tree, options).LeftBehind)
            older.push_back(ExtractFileName(path));
        EXPECT_EQ(older, c.older) << c.maxUrls;
    }
}

TEST_F(SearchSitemapsTest, GitGivesCommittedFilesTheirLastCommitTime) {
    // The site is a folder of the work tree; a name may hold any byte.
    auto git = [&](const std::string& args, const char* when = "") {
        std::string cmd = std::string(*when ? "GIT_COMMITTER_DATE=" : "") + when + " git -C " +
                          twtest::ShellQuoted(site.Path()) +
                          " -c user.name=t -c user.email=t@t -c commit.gpgsign=false " + args +
                          " >/dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    };
    const std::string odd = "www/odd\nname \xC3\xA9.html";
    git("init -q");
    for (const std::string& name :
         std::vector<std::string>{"www/index.html", "www/a.html", "www/changed.html",
                                  "www/gone.html", odd, "other.html"})
        site.Write(name);
    git("add -A");
    git("commit -qm one", "@1500000000");
    site.Write("www/a.html", "new");
    git("rm -q www/gone.html");
    git("commit -qam two", "@1600000000");
    site.Write("www/gone.html", "back, not committed");
    site.Write("www/changed.html", "changed");
    site.Write("www/new.html");
    for (const char* name : {"www/gone.html", "www/changed.html", "www/new.html"})
        SetModified(site / name, 1700000000);
    profile.SetIndexPage(site / "www/index.html");
    profile.SetOutputFileName(site / "www/sitemap.html");
    options.SiteFolder = site / "www/";
    options.XmlOutput = site / "www/sitemap.xml";
    options.Lastmod = SitemapLastmod::Git;
    SearchSitemapResult result = Write();

    std::map<std::string, std::string> lastmods;
    const std::string xml = ReadAll(options.XmlOutput);
    std::regex entry("<loc>https://example.org/([^<]*)</loc><lastmod>([^<]*)</lastmod>");
    for (std::sregex_iterator it(xml.begin(), xml.end(), entry), end; it != end; ++it)
        lastmods[(*it)[1]] = (*it)[2];
    EXPECT_EQ(lastmods, (std::map<std::string, std::string>{
                            {"", "2017-07-14T02:40:00Z"},
                            {"a.html", "2020-09-13T12:26:40Z"},
                            {"changed.html", "2023-11-14T22:13:20Z"},
                            {"gone.html", "2023-11-14T22:13:20Z"},
                            {"new.html", "2023-11-14T22:13:20Z"},
                            {"odd%0Aname%20%C3%A9.html", "2017-07-14T02:40:00Z"},
                        }));
    EXPECT_FALSE(result.ShallowGitClone);

    options.Lastmod = SitemapLastmod::None;
    WriteSearchSitemaps(tree, options);
    EXPECT_EQ(ReadAll(options.XmlOutput).find("lastmod"), std::string::npos);

    TempDir clone;
    git("clone -q --depth 1 file://" + twtest::ShellQuoted(site.Path()) + " " +
        twtest::ShellQuoted(clone.Path() + "c"));
    EXPECT_TRUE(ReadGitFileTimes(clone / "c/www/").Shallow);
    EXPECT_THROW(ReadGitFileTimes(clone.Path()), TError);
}

TEST_F(SearchSitemapsTest, GitRunsNoProgramTheSitesRepositoryNames) {
    const std::string q = twtest::ShellQuoted(site.Path());
    auto sh = [&](const std::string& cmd) {
        ASSERT_EQ(std::system(("cd " + q + " && { " + cmd + "; } >/dev/null 2>&1").c_str()), 0)
            << cmd;
    };
    const char* marks[] = {"fsmonitor", "external", "textconv", "clean", "hook"};
    auto ran = [&] {
        std::vector<std::string> list(std::begin(marks), std::end(marks));
        std::erase_if(list, [&](const std::string& mark) { return !Exists(site / mark); });
        return list;
    };
    site.Write("www/index.html", "x");
    site.Write(".gitattributes", "*.html filter=f diff=d\n");
    site.Write("hooks/post-index-change", "#!/bin/sh\ntouch \"" + site.Path() + "hook\"\n");
    sh("chmod +x hooks/post-index-change && git init -q && git add -A && "
       "GIT_COMMITTER_DATE=@1500000000 git -c user.name=t -c user.email=t@t commit -qm one");
    // Each program marks the site's folder, wherever git starts it.
    sh("git config core.fsmonitor \"touch $PWD/fsmonitor; echo\" && git config diff.external "
       "\"touch $PWD/external\" && git config diff.d.textconv \"touch $PWD/textconv; cat\" && "
       "git config filter.f.clean \"touch $PWD/clean; cat\" && git config filter.f.smudge cat && "
       "git config filter.f.required "
       "true && git config core.hooksPath \"$PWD/hooks\"");
    SetModified(site / "www/index.html", 1700000000); // stale in the index: status rereads it
    EXPECT_EQ(ReadGitFileTimes(site / "www/").Committed,
              (std::unordered_map<std::string, std::int64_t>{{"index.html", 1500000000}}));
    EXPECT_EQ(ran(), std::vector<std::string>{});
    // The plants work: git as it is configured runs every one.
    sh("git status && git log -p && git log -p --ext-diff");
    EXPECT_EQ(ran(), std::vector<std::string>(std::begin(marks), std::end(marks)));
}

TEST_F(SearchSitemapsTest, EditedLinksResolveAgainstTheBaseAndLeaveItOut) {
    for (const char* page : {"index.html", "a.html", "b.html", "c.html", "d.html", "e.html",
                             "f.html", "g.html", "h.html"})
        site.Write(page);
    options.BaseURL = "https://example.org/site";
    Scan();
    const std::vector<std::pair<std::string, std::string>> edits = {
        {"a.html", "renamed.html"},                      // relative: below the base
        {"b.html", "https://example.org/site/x/b.html"}, // absolute, below the base
        {"c.html", "https://other.example/c.html"},      // another host
        {"d.html", "../d.html"},                         // above the base
        {"e.html", "/elsewhere/e.html"},                 // the host's root
        {"f.html", "f%20two.html#part"},                 // fragment dropped, escape kept
        {"g.html", ""},                                  // no link at all
        {"h.html", "h.html"},                            // unchanged: no edit
    };
    tree.ForEach([&](SiteMapNode& node, int) {
        for (const auto& [from, to] : edits)
            if (node.Data.LinkURL == from)
                node.Data.EditLinkURL(to);
    });
    SearchSitemapResult result = WriteSearchSitemaps(tree, options);
    EXPECT_EQ(XmlUrls(), (std::vector<std::string>{
                             "https://example.org/site/",
                             "https://example.org/site/renamed.html",
                             "https://example.org/site/x/b.html",
                             "https://example.org/site/f%20two.html",
                             "https://example.org/site/h.html",
                         }));
    EXPECT_EQ(result.OutsideBase.Count, 4u);
}

// Heads as a hostile site writes them, read as the scan reads them: only the
// alternates a crawler can use are listed, the XML stays valid, and the page
// is named once.
TEST_F(SearchSitemapsTest, HostileAlternatesLeaveTheSitemapWellFormed) {
    struct Row {
        const char* hreflang;
        const char* href;
        const char* listed; // null: left out
    };
    const Row rows[] = {
        {"en&#1;", "a.html", nullptr},
        {"en\xFF", "a.html", nullptr},
        {"en&#xFFFF;", "a.html", nullptr},
        {"en_US", "a.html", nullptr},
        {"de", "https://exa&#1;mple.org/", nullptr},
        {"de", "javascript:alert(1)", nullptr},
        {"de", "https://[::1/", nullptr},
        {"de", "https://example.org:99999/", nullptr},
        {"de-CH-1996", "https://[::1]:8080/a b&quot;&lt;", "https://[::1]:8080/a%20b%22%3C"},
        {"zh-Hant-TW", "//example.net/?q=&lt;&amp;", "https://example.net/?q=%3C&amp;"},
        {"x-default", "HTTPS://Example.ORG:443/", "https://example.org/"},
    };
    std::string head = "<html><head><title>t</title>";
    std::vector<std::string> listed;
    for (const Row& row : rows) {
        head += std::string("<link rel=alternate hreflang=\"") + row.hreflang + "\" href=\"" +
                row.href + "\">";
        if (row.listed)
            listed.push_back(std::string("hreflang=\"") + row.hreflang + "\" href=\"" + row.listed +
                             "\"");
    }
    site.Write("index.html");
    site.Write("hostile.html", head + "</head></html>");
    Scan();
    const PageFacts facts = ReadPageFacts(ReadAll(site / "hostile.html"));
    const std::vector<SiteMapNode*> nodes = tree.NodesInIndexOrder();
    options.FactsOf = [&](int index) {
        return nodes[static_cast<size_t>(index)]->Data.LinkURL == "hostile.html" ? &facts : nullptr;
    };
    SearchSitemapResult result = WriteSearchSitemaps(tree, options);

    EXPECT_EQ(SchemaErrors("sitemap-with-images.xsd", options.XmlOutput), "");
    const std::string xml = ReadAll(options.XmlOutput);
    std::vector<std::string> links;
    const std::regex link("hreflang=\"[^\"]*\" href=\"[^\"]*\"");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), link); it != std::sregex_iterator();
         ++it)
        links.push_back(it->str());
    EXPECT_EQ(links, listed) << xml;
    ASSERT_EQ(result.BadAlternates.size(), 1u);
    EXPECT_EQ(result.BadAlternates[0].Page, "hostile.html");
    EXPECT_EQ(result.BadAlternates[0].Count, std::size(rows) - listed.size());
    EXPECT_EQ(result.BadAlternates[0].Hreflang, "en\x01");
}
