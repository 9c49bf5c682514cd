#include "cli/Cli.h"
#include "cli/RunTool.h"
#include "core/SitemapCheck.h"
#include "core/TestUtil.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using twtest::Exists;
using twtest::Lines;
using twtest::Locs;
using twtest::ReadAll;
using twtest::SchemaErrors;
using twtest::TempDir;

namespace {

using Result = twtest::ToolResult;
using twtest::RunTool;

class SitemapCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        site.Write("index.html", "<title>Home</title>");
        site.Write("a b/100% #1?.html", "<title>Odd</title>");
        site.Write("caf\xC3\xA9.html");
        site.Write("bad\xFF.htm");
        site.Write("it's&more.html");
        site.Write("img/logo.png");
        site.Write("docs/index.htm");
        site.Write("docs/guide.html");
    }
    std::vector<std::string> Generate(std::initializer_list<std::string> extra) {
        std::vector<std::string> args = {"generate", "--index", site / "index.html", "--file-types",
                                         "*.html;*.htm;*.png;"};
        args.insert(args.end(), extra);
        return args;
    }
    TempDir site;
};

} // namespace

TEST_F(SitemapCliTest, WritesValidSitemapsBesideThePage) {
    Result r = RunTool(
        Generate({"--xml-sitemap", "https://example.org/", "--text-sitemap", site / "urls.txt"}));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "8 files, 4 folders -> " + site / "sitemap.html" + "\n" +
                         "XML sitemap: 7 URLs -> " + site / "sitemap.xml" + "\n" +
                         "Text sitemap: 7 URLs -> " + site / "urls.txt" + "\n" +
                         "XML sitemap: 7 of 7 pages listed\n" +
                         "Text sitemap: 7 of 7 pages listed\n");
    EXPECT_TRUE(Exists(site / "sitemap.html"));
    EXPECT_EQ(SchemaErrors("sitemap.xsd", site / "sitemap.xml"), "");
    const std::vector<std::string> expected = {
        "https://example.org/",
        "https://example.org/bad%FF.htm",
        "https://example.org/caf%C3%A9.html",
        "https://example.org/it%27s%26more.html",
        "https://example.org/a%20b/100%25%20%231%3F.html",
        "https://example.org/docs/",
        "https://example.org/docs/guide.html",
    };
    EXPECT_EQ(Locs(ReadAll(site / "sitemap.xml")), expected);
    EXPECT_EQ(Lines(ReadAll(site / "urls.txt")), expected);

    site.MakeDir("out");
    r = RunTool(Generate({"--xml-sitemap", "https://example.org/en", "--xml-output",
                          site / "out/search.xml", "--xml-include-pictures", "--quiet"}));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(SchemaErrors("sitemap.xsd", site / "out/search.xml"), "");
    std::vector<std::string> urls = Locs(ReadAll(site / "out/search.xml"));
    EXPECT_EQ(urls.size(), 8u);
    EXPECT_NE(std::find(urls.begin(), urls.end(), "https://example.org/en/img/logo.png"),
              urls.end());
}

TEST_F(SitemapCliTest, UsageErrors) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--xml-sitemap", "example.org"}, "--xml-sitemap: the base URL must be an absolute"},
        {{"--xml-sitemap", "ftp://example.org/"}, "absolute http:// or https://"},
        {{"--xml-sitemap", "https:///site/"}, "no host"},
        {{"--xml-sitemap", "https://example.org/?lang=en"}, "query or a fragment"},
        {{"--xml-output", site / "x.xml"}, "--xml-output requires --xml-sitemap"},
        {{"--text-sitemap", site / "x.txt"}, "--text-sitemap requires --xml-sitemap"},
        {{"--xml-include-pictures"}, "--xml-include-pictures requires --xml-sitemap"},
        {{"--xml-sitemap", "https://example.org/", "--text-sitemap", site / "sitemap.xml"},
         "name the same file"},
        {{"--xml-sitemap", "https://example.org/", "--xml-output", site / "sitemap.html"},
         "may not replace the site map page"},
        {{"--clean-urls"}, "--clean-urls requires --xml-sitemap"},
        {{"--xml-all-pages"}, "--xml-all-pages requires --xml-sitemap"},
        {{"--xml-images"}, "--xml-images requires --xml-sitemap"},
        {{"--xml-gzip"}, "--xml-gzip requires --xml-sitemap"},
        {{"--robots-txt"}, "--robots-txt requires --xml-sitemap"},
        {{"--lastmod", "git"}, "--lastmod requires --xml-sitemap"},
        {{"--xml-sitemap", "https://example.org/", "--lastmod", "ctime"},
         "--lastmod: ctime not in"},
        {{"--xml-sitemap", "https://example.org/en/", "--robots-txt"},
         "--robots-txt: crawlers read robots.txt only at the root of a host"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = Generate({});
        args.insert(args.end(), c.args.begin(), c.args.end());
        Result r = RunTool(args);
        EXPECT_EQ(r.code, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Usage"), std::string::npos) << c.message;
        // Nothing is scanned or written after a usage error.
        EXPECT_FALSE(Exists(site / "sitemap.html")) << c.message;
        // profile write refuses what generate refuses for want of a base URL.
        if (c.message.ends_with("requires --xml-sitemap")) {
            std::vector<std::string> write = {"profile", "write", site / "p.zpf"};
            write.insert(write.end(), c.args.begin(), c.args.end());
            r = RunTool(write);
            EXPECT_EQ(r.code, 2) << c.message;
            EXPECT_EQ(r.err.rfind("trailwright-cli: " + c.message + "\n", 0), 0u) << r.err;
            EXPECT_FALSE(Exists(site / "p.zpf")) << c.message;
        }
    }

    std::string cmd = std::string(TW_CLI_PATH) + " generate --quiet --index " +
                      twtest::ShellQuoted(site / "index.html") +
                      " --xml-sitemap https:// 2>/dev/null";
    int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

TEST_F(SitemapCliTest, AFileThatCannotBeWrittenIsNamed) {
    site.Write("sitemap.xml", "old");
    std::string missing = site / "missing/sitemap.txt";
    Result r = RunTool(
        Generate({"--xml-sitemap", "https://example.org/", "--text-sitemap", missing, "--quiet"}));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "trailwright-cli: Cannot create file " + missing + ": No such file or directory\n");
    EXPECT_EQ(ReadAll(site / "sitemap.xml"), "old");
}

// The sitemap options are profile settings: saved, honoured, and turned off.
TEST_F(SitemapCliTest, AProfileCarriesTheSitemapSettings) {
    Result r = RunTool({"profile", "write", site / "p.zpf", "--index", site / "index.html",
                        "--xml-sitemap", "https://example.org/", "--clean-urls", "--xml-gzip",
                        "--text-sitemap", site / "urls.txt"});
    ASSERT_EQ(r.code, 0) << r.err;
    r = RunTool({"generate", "--profile", site / "p.zpf", "--no-xml-gzip", "--quiet"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_FALSE(Exists(site / "sitemap.xml.gz"));
    EXPECT_EQ(Locs(ReadAll(site / "sitemap.xml")).size(), 7u);
    EXPECT_EQ(Locs(ReadAll(site / "sitemap.xml")), Lines(ReadAll(site / "urls.txt")));
    EXPECT_EQ(ReadAll(site / "sitemap.xml").find(".html<"), std::string::npos) << "clean URLs";
    std::remove((site / "sitemap.xml").c_str());
    r = RunTool(
        {"generate", "--profile", site / "p.zpf", "--no-xml-sitemap", "--clean-urls", "--quiet"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_FALSE(Exists(site / "sitemap.xml"));
}

// A profile may spell the site's folder in any way that names it; the links,
// the skips and the sitemaps are the same for every spelling.
TEST_F(SitemapCliTest, EverySpellingOfTheSiteFolderGivesTheSameFiles) {
    // An earlier site map of ours, which a run replaces.
    site.Write("sitemap.html", "<title>old map</title>::: Made with Zephyrix :");
    site.Write("img/pic.html");
    std::string page, xml;
    for (const std::string spelling : {"", "/", "./", "docs/../", ".//img/..//"}) {
        SCOPED_TRACE(spelling);
        const std::string folder = site.Path() + spelling;
        Result r = RunTool({"profile", "write", site / "p.zpf", "--index", folder + "index.html",
                            "--output", folder + "sitemap.html", "--ignore-folder", folder + "img/",
                            "--ignore-file", folder + "docs/guide.html"});
        ASSERT_EQ(r.code, 0) << r.err;
        r = RunTool({"generate", "--profile", site / "p.zpf", "--xml-sitemap",
                     "https://example.org/", "--quiet"});
        ASSERT_EQ(r.code, 0) << r.err;
        if (page.empty()) {
            page = ReadAll(site / "sitemap.html");
            xml = ReadAll(site / "sitemap.xml");
            EXPECT_NE(page.find("<a href=\"docs/index.htm\""), std::string::npos) << page;
            EXPECT_EQ(page.find("sitemap.html"), std::string::npos) << page;
            EXPECT_EQ(page.find("guide"), std::string::npos) << page;
            EXPECT_EQ(page.find("pic.html"), std::string::npos) << page;
            EXPECT_EQ(Locs(xml).size(), 6u) << xml;
        } else {
            EXPECT_EQ(ReadAll(site / "sitemap.html"), page);
            EXPECT_EQ(ReadAll(site / "sitemap.xml"), xml);
        }
    }
}

TEST_F(SitemapCliTest, RobotsTxtGetsTheSitemapOnceAndItsRulesApply) {
    site.Write("robots.txt", "User-agent: *\nDisallow: /docs/guide"); // no final line break
    ASSERT_EQ(chmod((site / "robots.txt").c_str(), 0640), 0);
    const std::vector<std::string> args =
        Generate({"--xml-sitemap", "https://example.org/", "--robots-txt", "--xml-gzip",
                  "--lastmod", "none", "--clean-urls", "--xml-images"});
    Result r = RunTool(args);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("robots.txt: Sitemap https://example.org/sitemap.xml.gz -> " +
                         site / "robots.txt\n"),
              std::string::npos)
        << r.err;
    const std::string robots = ReadAll(site / "robots.txt");
    EXPECT_EQ(robots, "User-agent: *\nDisallow: /docs/guide\nSitemap: "
                      "https://example.org/sitemap.xml.gz\n");
    struct stat st {};
    ASSERT_EQ(stat((site / "robots.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_FALSE(Exists(site / "sitemap.xml"));
    EXPECT_EQ(SchemaErrors("sitemap-with-images.xsd", site / "sitemap.xml.gz"), "");
    const std::string xml = twtest::Gunzipped(site / "sitemap.xml.gz");
    EXPECT_EQ(xml.find("lastmod"), std::string::npos) << xml;
    EXPECT_EQ(Locs(xml),
              (std::vector<std::string>{
                  "https://example.org/", "https://example.org/bad%FF",
                  "https://example.org/caf%C3%A9", "https://example.org/it%27s%26more",
                  "https://example.org/a%20b/100%25%20%231%3F", "https://example.org/docs/"}));

    // A second run finds the line there and writes the same sitemap.
    const std::string gz = ReadAll(site / "sitemap.xml.gz");
    r = RunTool(args);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err.find("robots.txt:"), std::string::npos) << r.err;
    EXPECT_EQ(ReadAll(site / "robots.txt"), robots);
    EXPECT_EQ(ReadAll(site / "sitemap.xml.gz"), gz);
}

TEST_F(SitemapCliTest, RulesThatCannotApplyAreNamed) {
    Result r = RunTool(Generate({"--xml-sitemap", "https://example.org/", "--lastmod", "git"}));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(site.Path() + " is not in a git work tree"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(site / "sitemap.html")); // refused before the scan

    site.Write("robots.txt", "User-agent: *\nDisallow: /docs/");
    r = RunTool(Generate({"--xml-sitemap", "https://example.org/en/"}));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("warning: the rules of " + site / "robots.txt were not applied"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Locs(ReadAll(site / "sitemap.xml")).size(), 7u);
    r = RunTool(Generate({"--xml-sitemap", "https://example.org/en/", "--quiet"}));
    EXPECT_EQ(r.err, "trailwright-cli: warning: the rules of " + site / "robots.txt" +
                         " were not applied: crawlers read robots.txt only at the root of a "
                         "host, and https://example.org/en/ is not one\n");
}

// Pictures are the site's files whatever the file types, but not those the
// ignore lists leave out.
TEST_F(SitemapCliTest, WhatThePagesSayOfThemselvesIsHeeded) {
    site.Write("index.html", "<title>Home</title><img src=\"img/logo.png\"><img src=\"gone.png\">"
                             "<img srcset=\"raw/photo.webp 2x, private/p.png, img/logo.png\">");
    site.Write("raw/photo.webp");
    site.Write("private/p.png");
    site.Write("docs/guide.html", "<meta name=\"robots\" content=\"noindex\">");
    for (bool all : {false, true}) {
        Result r = RunTool(
            Generate({"--xml-sitemap", "https://example.org/", "--xml-images", "--ignore-folder",
                      site / "private", all ? "--xml-all-pages" : "--quiet"}));
        ASSERT_EQ(r.code, 0) << r.err;
        const std::string xml = ReadAll(site / "sitemap.xml");
        EXPECT_EQ(twtest::Texts(xml, "image:loc"),
                  (std::vector<std::string>{"https://example.org/img/logo.png",
                                            "https://example.org/raw/photo.webp"}));
        EXPECT_EQ(xml.find("docs/guide.html") != std::string::npos, all) << xml;
    }
}

// One line a sitemap tells what each rule left out, naming a page of a rule
// that leaves out most; a canonical URL that is no web address is none.
TEST(SitemapCliSummary, EachRuleSaysWhatItLeftOut) {
    auto canonical = [](const std::string& url) {
        return "<title>t</title><link rel=\"canonical\" href=\"" + url + "\">";
    };
    const std::string local = "file:///usr/share/doc/python3/html/", docs = "https://docs.org/";
    struct Case {
        std::vector<std::pair<std::string, std::string>> files;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {{{"index.html", canonical(local + "index.html")}},
         {"XML sitemap: 1 URL -> ", "XML sitemap: 1 of 1 page listed\n"}},
        {{{"index.html", ""},
          {"library/os.html", canonical(docs + "os.html")},
          {"library/sys.html", canonical(docs + "sys.html")}},
         {"XML sitemap: 1 of 3 pages listed; left out: 2 canonical elsewhere (e.g. "
          "library/os.html)\n"}},
        {{{"index.html", ""},
          {"404.html", ""},
          {"hidden.html", "<meta name=robots content=noindex>"},
          {"copy.html", canonical("index.html")},
          {"private/x.html", ""},
          {"robots.txt", "User-agent: *\nDisallow: /private/\n"}},
         {"XML sitemap: 1 of 5 pages listed; left out: 1 noindex, 1 canonical elsewhere, 1 "
          "disallowed by robots.txt, 1 error page\n"}},
    };
    for (const Case& c : cases) {
        TempDir site;
        for (const auto& [name, text] : c.files)
            site.Write(name, text);
        Result r = RunTool(
            {"generate", "--index", site / "index.html", "--xml-sitemap", "https://x.org/"});
        ASSERT_EQ(r.code, 0) << r.err;
        for (const std::string& line : c.lines)
            EXPECT_NE(r.err.find("\n" + line), std::string::npos) << r.err;
    }
}

// Gzip bytes go to a .gz name; the sitemap of the other form stays, named
// with the robots.txt line for it, also under --quiet.
TEST_F(SitemapCliTest, GzipHasAGzNameAndTheOtherFormIsNamedNotDeleted) {
    std::vector<std::string> args =
        Generate({"--xml-sitemap", "https://example.org/", "--robots-txt", "--quiet"});
    ASSERT_EQ(RunTool(args).code, 0);
    args.insert(args.end(), {"--xml-gzip", "--xml-output", site / "sitemap.xml"});
    Result r = RunTool(args);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(ReadAll(site / "sitemap.xml.gz").starts_with("\x1F\x8B"));
    EXPECT_TRUE(ReadAll(site / "sitemap.xml").starts_with("<?xml"));
    const std::string warning = "trailwright-cli: warning: ";
    EXPECT_EQ(r.err, warning + site / "sitemap.xml" +
                         " is a sitemap this run did not write; delete it unless it is still "
                         "served\n" +
                         warning + site / "robots.txt" +
                         " also names https://example.org/sitemap.xml, a sitemap this run did "
                         "not write; remove that line unless it is still served\n");
}

// A hostile page's alternates and a huge robots.txt each get their warning,
// under --quiet too, and the run still succeeds.
TEST_F(SitemapCliTest, BadAlternatesAndALongRobotsTxtAreWarnedAbout) {
    site.Write("docs/guide.html", "<link rel=alternate hreflang=\"en&#1;\" href=\"a.html\">"
                                  "<link rel=alternate hreflang=de href=\"javascript:x\">"
                                  "<link rel=alternate hreflang=fr href=\"/fr.html\">");
    site.Write("robots.txt", "User-agent: *\n#" + std::string(600 * 1024, 'x') + "\n");
    Result r =
        RunTool(Generate({"--xml-sitemap", "https://example.org/", "--robots-txt", "--quiet"}));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "trailwright-cli: warning: " + site.Path() +
                         "robots.txt is longer than 500 KiB, where crawlers may stop reading: "
                         "only its start was read\n"
                         "trailwright-cli: warning: docs/guide.html: 2 alternate links left out "
                         "of the XML sitemap (first: hreflang \"en?\" href \"a.html\"): an "
                         "alternate needs a language tag and an http or https URL with a valid "
                         "host and port\n");
    EXPECT_EQ(SchemaErrors("sitemap-with-images.xsd", site / "sitemap.xml"), "");
}
