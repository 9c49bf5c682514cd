#include "check/LinkCheck.h"

#include "check/Findings.h"
#include "check/LinkPath.h"
#include "check/SiteCheck.h"
#include "core/TestUtil.h"
#include "model/PageParser.h"
#include "model/SiteMapProfile.h"
#include "scan/ScanRun.h"
#include "support/Errors.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using twtest::TempDir;

namespace {

TSiteMapTree& Scan(TSiteMapTree& tree, const std::string& indexPage) {
    TMapProfile profile = MakeStartupProfile();
    profile.SetIndexPage(indexPage);
    profile.SetOutputFileName(ExtractFilePath(indexPage) + "sitemap.html");
    ScanRun scan(tree, profile);
    scan.Run();
    return tree;
}

// The report as one line per finding, so that a test states all of it.
std::vector<std::string> Lines(const LinkReport& report) {
    std::vector<std::string> lines;
    for (const DeadLink& d : report.DeadLinks)
        lines.push_back("dead " + d.Page + ":" + std::to_string(d.Line) + " " +
                        (d.Source == LinkSource::Attribute
                             ? d.Tag + " " + d.Attribute + " " + d.Link
                             : DescribeLink(d)) +
                        (d.Reason == DeadLinkReason::NoDefaultPage   ? " (no default page)"
                         : d.Reason == DeadLinkReason::MissingAnchor ? " (missing anchor)"
                         : d.CaseDiffers                             ? " (letter case)"
                                                                     : ""));
    for (const std::string& page : report.OrphanPages)
        lines.push_back("orphan " + page);
    for (const TitleProblem& t : report.TitleProblems) {
        std::string line = t.Kind == TitleProblemKind::Missing ? "title missing"
                           : t.Kind == TitleProblemKind::Empty
                               ? "title empty"
                               : "title duplicate \"" + t.Title + "\"";
        for (const std::string& page : t.Pages)
            line += " " + page;
        lines.push_back(line);
    }
    for (const std::string& folder : report.FoldersWithoutDefaultPage)
        lines.push_back("folder " + folder);
    for (const PageNote& n : report.Notes)
        lines.push_back("note " + n.Page + " " +
                        (n.Kind == PageNoteKind::Unreadable ? "unreadable" : "truncated"));
    return lines;
}

LinkReport Check(const std::string& indexPage, const LinkCheckLimits& limits = {}) {
    TSiteMapTree tree;
    return CheckLinks(Scan(tree, indexPage), indexPage, limits);
}

std::string Page(const std::string& title, const std::string& body) {
    return "<html><head><title>" + title + "</title></head><body>\n" + body + "\n</body></html>";
}

} // namespace

TEST(LinkCheckTest, FindsEverySeededFaultAndNothingElse) {
    TempDir site;
    site.Write("index.html", Page("Home", "<a href=\"about.html\">About</a>\n"
                                          "<a href=\"news/\">News</a>\n"
                                          "<a href=\"docs/guide.html\">Guide</a>\n"
                                          "<a href=\"missing.html\">Gone</a>\n"
                                          "<link rel=stylesheet href=\"site.css\">\n"
                                          "<img src=\"logo.gif\">"));
    site.Write("site.css");
    site.Write("logo.gif", "GIF89a");
    site.Write("about.html", Page("About", "<a href=\"index.html\">Home</a>"));
    site.Write("news/index.html", Page(" \n\t ", "<a href=\"../about.html\">About</a>"));
    site.Write("docs/guide.html", Page("  About\n", ""));
    site.Write("orphan.html", Page("Lost", "<a href=\"index.html\">Home</a>"));
    site.Write("notes.txt", "not a page, never an orphan");

    LinkReport report = Check(site / "index.html");
    EXPECT_EQ(Lines(report), (std::vector<std::string>{
                                 "dead index.html:5 a href missing.html",
                                 "orphan orphan.html",
                                 "title empty news/index.html",
                                 "title duplicate \"About\" about.html docs/guide.html",
                                 "folder docs/",
                             }));
    EXPECT_EQ(report.ProblemCount(), 5u);
    EXPECT_EQ(report.PageCount, 5u);
    EXPECT_EQ(report.LocalLinkCount, 9u);
}

TEST(LinkCheckTest, LinkValuesAreTakenAsBrowsersTakeThem) {
    // Resolution of the path, against a page in "/site/sub/".
    auto resolve = [](const std::string& value) {
        LinkTarget t = ClassifyLink(value);
        if (t.Kind != LinkKind::Local)
            return std::string(t.Kind == LinkKind::External ? "external" : "same page");
        if (t.Path.starts_with('/'))
            return JoinLexically("/site/", t.Path.substr(1), 6);
        return JoinLexically("/site/sub/", t.Path);
    };
    EXPECT_EQ(resolve("a.html?x=1#frag"), "/site/sub/a.html");
    EXPECT_EQ(resolve(" \t a%20b.html\n"), "/site/sub/a b.html");
    EXPECT_EQ(resolve("caf%C3%A9.html"), "/site/sub/caf\xC3\xA9.html");
    EXPECT_EQ(resolve("100%.html"), "/site/sub/100%.html");
    EXPECT_EQ(resolve("x%2.html"), "/site/sub/x%2.html");
    EXPECT_EQ(resolve("a\\b.html"), "/site/sub/a/b.html");
    EXPECT_EQ(resolve("../a/./b//c.html"), "/site/a/b/c.html");
    EXPECT_EQ(resolve("../../../../up.html"), "/up.html");
    EXPECT_EQ(resolve("/a.html"), "/site/a.html");
    EXPECT_EQ(resolve("/../../a.html"), "/site/a.html"); // clamped at the site root
    EXPECT_EQ(resolve("d/"), "/site/sub/d/");
    EXPECT_EQ(resolve("d/."), "/site/sub/d/");
    EXPECT_EQ(resolve(".."), "/site/");
    EXPECT_EQ(resolve("/"), "/site/");
    for (const char* same : {"", "  ", "#top", "?q=1", "#"})
        EXPECT_EQ(resolve(same), "same page") << same;
    for (const char* external : {"http://example.com/x.html", "HTTPS://x", "mailto:a@b", "tel:+1",
                                 "javascript:void(0)", "data:text/html,<p>", "//cdn.example/x.js",
                                 "ftp://x/y", "file:///etc/passwd", "  java\nscript:x"})
        EXPECT_EQ(resolve(external), "external") << external;
}

TEST(LinkCheckTest, LinksResolveOnTheDisk) {
    TempDir outer;
    std::string index = outer.Write(
        "site/index.html",
        Page("Home", "<a href=\"a.html?x=1#y\">1</a> <a href=\"sub%20dir/b.html\">2</a>\n"
                     "<a href=\"/sub%20dir/b.html\">3</a> <a href=\"/../a.html\">4</a>\n"
                     "<a href=\"../shared.css\">5</a> <a href=\"../gone.css\">6</a>\n"
                     "<a href=\"a.html/\">7</a> <a href=\"/nothere.html\">8</a>\n"
                     "<a href=\"a%00.html\">9</a> <a href=\"http://example.com/gone.html\">10</a>\n"
                     "<a href=\"#top\">11</a> <a href=\"\">12</a> <a href=\"mailto:x@y\">13</a>\n"
                     "<a href=\"A.HTML\">14</a> <a href=\"Sub%20Dir/B.html\">15</a>\n"
                     "<a href=\"a.html/x\">16</a> <a href=\"../../site/a.html\">17</a>"));
    outer.Write("site/a.html", Page("A", "<p id=\"y\">"));
    outer.Write("site/sub dir/b.html", Page("B", "<a href=\"../index.html\">home</a>"));
    outer.Write("shared.css");

    LinkReport report = Check(index);
    // A relative link climbs no higher than the site's top, as on the
    // published site: the style sheet beside the site folder is out of reach.
    EXPECT_EQ(Lines(report), (std::vector<std::string>{
                                 "dead index.html:4 a href ../shared.css",
                                 "dead index.html:4 a href ../gone.css",
                                 "dead index.html:5 a href a.html/",
                                 "dead index.html:5 a href /nothere.html",
                                 "dead index.html:6 a href a%00.html",
                                 "dead index.html:8 a href A.HTML (letter case)",
                                 "dead index.html:8 a href Sub%20Dir/B.html (letter case)",
                                 "dead index.html:9 a href a.html/x",
                                 "dead index.html:9 a href ../../site/a.html",
                                 "folder sub dir/",
                             }));
    EXPECT_EQ(report.LocalLinkCount, 14u);
}

// A fragment names an id anywhere in the page or an a's name, exactly, after
// percent-decoding; pages that are not parsed whole, and files that are no
// pages, may hold any.
TEST(LinkCheckTest, FragmentsMustNameAnAnchorOfTheirPage) {
    TempDir site;
    const std::vector<std::pair<const char*, bool>> links = {
        {"b.html#x", true},     {"b.html#X", false},       {"b.html#top", true},
        {"b.html#", true},      {"b.html#%C3%A9", true},   {"b.html#old", true},
        {"b.html#svg", true},   {"b.html#nowhere", false}, {"#here", true},
        {"#gone", false},       {"index.html#here", true}, {"sub/#in", true},
        {"sub/#out", false},    {"pic.png#x", true},       {"big.html#any", true},
        {"b.html?q=1#x", true},
    };
    std::string body = "<p id=\"here\">";
    for (const auto& [href, _] : links)
        body += "<a href=\"" + std::string(href) + "\">l</a>\n";
    std::string index = site.Write("index.html", Page("Home", body));
    site.Write("b.html", Page("B", "<div id=\"x\"></div><p id=\"\xC3\xA9\"><a name=\"old\"></a>"
                                   "<svg><g id=\"svg\"/></svg>"));
    site.Write("sub/index.html", Page("Sub", "<b id=\"in\">"));
    site.Write("pic.png");
    site.Write("big.html", Page("Big", std::string(3000, 'x')));
    LinkCheckLimits limits;
    limits.MaxPageBytes = 2000;
    std::vector<std::string> expected;
    for (size_t i = 0; i < links.size(); ++i)
        if (!links[i].second)
            expected.push_back("dead index.html:" + std::to_string(i + 2) + " a href " +
                               links[i].first + " (missing anchor)");
    expected.push_back("note big.html truncated");
    EXPECT_EQ(Lines(Check(index, limits)), expected);
}

TEST(LinkCheckTest, FolderLinksNeedADefaultPage) {
    TempDir site;
    site.Write("index.html", Page("Home", "<a href=\"with/\">1</a> <a href=\"with\">2</a>\n"
                                          "<a href=\"bare/\">3</a> <a href=\"bare\">4</a>\n"
                                          "<a href=\"/welcome/\">5</a> <a href=\".\">6</a>"));
    // index.htm is the second default name, welcome.html the third.
    site.Write("with/index.htm", Page("With", "<a href=\"deeper.html\">on</a>"));
    site.Write("with/deeper.html", Page("Deeper", ""));
    site.Write("bare/page.html", Page("Bare", "<a href=\"../index.html\">home</a>"));
    site.Write("welcome/welcome.html", Page("Welcome", ""));

    // Folder links reach their default page and what it links to; the bare
    // folder's page is reachable from nowhere.
    EXPECT_EQ(Lines(Check(site / "index.html")),
              (std::vector<std::string>{
                  "dead index.html:3 a href bare/ (no default page)",
                  "dead index.html:3 a href bare (no default page)",
                  "orphan bare/page.html",
                  "folder bare/",
              }));
}

TEST(LinkCheckTest, BaseElementSetsTheFolderLinksStartFrom) {
    TempDir site;
    site.Write("index.html", "<base href=\"sub/x.html\"><title>Home</title>"
                             "<a href=\"b.html\">1</a><a href=\"/c.html\">2</a>"
                             "<a href=\"index.html\">3</a>");
    site.Write("sub/b.html", "<base href=\"http://example.com/\"><title>B</title>"
                             "<a href=\"nowhere.html\">external through the base</a>");
    site.Write("c.html", "<title>C</title>");
    // "index.html" resolves into sub/, which has none.
    EXPECT_EQ(Lines(Check(site / "index.html")),
              (std::vector<std::string>{"dead index.html:1 a href index.html", "folder sub/"}));
}

TEST(LinkCheckTest, MalformedMarkupIsReadAsABrowserReadsIt) {
    TempDir site;
    site.Write("index.html", "<TITLE>Home</TITLE>\n"
                             "<table><tr><td><A HREF=one.html>unclosed\n"
                             "<p><a href=two.html class=x>still unclosed <b>bold\n"
                             "<a\n  href\n  =\n  'three.html'>spread over lines</a>\n"
                             "<!-- <a href=\"commented.html\"> -->\n"
                             "<script>var s = '<a href=\"inscript.html\">';</script>\n"
                             "<template><a href=\"intemplate.html\">t</a></template>\n"
                             "<textarea><a href=\"intext.html\"></textarea>\n"
                             "<svg><title>drawing</title><a href=\"svg.html\"></a></svg>\n"
                             "<a href=\"dead&amp;gone.html\">entity</a>\n"
                             "<img src=four.gif alt=\"x\"<a href=five.html>\n"
                             "<a href=\"six.html");
    site.Write("one.html", "<title>One</title>");
    site.Write("two.html", "<title>Two</title>");
    site.Write("three.html", "<title>Three</title>");

    EXPECT_EQ(Lines(Check(site / "index.html")),
              (std::vector<std::string>{"dead index.html:13 a href dead&gone.html",
                                        "dead index.html:14 img src four.gif"}));
}

TEST(LinkCheckTest, EveryLinkingElementIsChecked) {
    TempDir site;
    site.Write("index.html", "<title>Home</title>\n"
                             "<link rel=stylesheet href=\"gone.css\">\n"
                             "<script src=\"gone.js\"></script>\n"
                             "<img src=\"gone.png\">\n"
                             "<iframe src=\"gone-iframe.html\"></iframe>\n"
                             "<map><area href=\"gone-area.html\"></map>\n"
                             "<a href=\"frames.html\">frames</a>");
    site.Write("frames.html", "<title>Frames</title><frameset>\n"
                              "<frame src=\"gone-frame.html\"><frame src=\"index.html\">"
                              "</frameset>");
    EXPECT_EQ(Lines(Check(site / "index.html")),
              (std::vector<std::string>{
                  "dead frames.html:2 frame src gone-frame.html",
                  "dead index.html:2 link href gone.css",
                  "dead index.html:3 script src gone.js",
                  "dead index.html:4 img src gone.png",
                  "dead index.html:5 iframe src gone-iframe.html",
                  "dead index.html:6 area href gone-area.html",
              }));
}

TEST(LinkCheckTest, NamesThatAreNotUtf8AreFollowedAndReported) {
    TempDir site;
    site.Write("index.html", Page("Home", "<a href=\"caf%E9.html\">Latin-1 name</a>"));
    site.Write("caf\xE9.html", Page("Cafe", ""));
    site.Write("lost\xFF\xFE.html", Page("Lost", ""));
    EXPECT_EQ(Lines(Check(site / "index.html")),
              (std::vector<std::string>{"orphan lost\xFF\xFE.html"}));
}

// Titles are compared as their readers see them, whatever each page's
// encoding; a UTF-16 page is read whole, its title and its links.
TEST(LinkCheckTest, TitlesAreReadInEachPagesEncoding) {
    TempDir site;
    site.Write("index.html", Page("Home", "<a href=a.html>a</a> <a href=b.html>b</a>"
                                          " <a href=c.html>c</a> <a href=d.html>d</a>"
                                          " <a href=e.html>e</a>"));
    site.Write("a.html", Page("Fran\xE7"
                              "ais",
                              ""));
    site.Write("b.html", "<meta charset=utf-8>" + Page("Fran&ccedil;ais", ""));
    site.Write("c.html", twtest::Utf16Page(u"<title>Home</title>\n<a href=gone.html>x</a>", true));
    site.Write("d.html", "<meta charset=sjis>" + Page("\x93\xFA\x96\x7B", ""));
    site.Write("e.html", Page("&#26085;\xE6\x9C\xAC", ""));
    EXPECT_EQ(Lines(Check(site / "index.html")),
              (std::vector<std::string>{"dead c.html:2 a href gone.html",
                                        "title duplicate \"Français\" a.html b.html",
                                        "title duplicate \"Home\" c.html index.html",
                                        "title duplicate \"日本\" d.html e.html"}));
}

TEST(LinkCheckTest, PagesThatGoOrTurnIntoFifosAreNotedWithoutHanging) {
    TempDir site;
    site.Write("index.html", Page("Home", "<a href=\"pipe.html\">1</a> <a href=\"gone.html\">2</a>"
                                          " <a href=\"next.html\">3</a>"));
    site.Write("pipe.html", Page("Pipe", ""));
    site.Write("gone.html", Page("Gone", ""));
    site.Write("next.html", Page("Next", ""));
    TSiteMapTree tree;
    Scan(tree, site / "index.html");
    // Between the scan and the check: one page becomes a FIFO, one goes.
    ASSERT_EQ(unlink((site / "pipe.html").c_str()), 0);
    ASSERT_EQ(mkfifo((site / "pipe.html").c_str(), 0644), 0);
    ASSERT_EQ(unlink((site / "gone.html").c_str()), 0);

    EXPECT_EQ(Lines(CheckLinks(tree, site / "index.html")),
              (std::vector<std::string>{"dead index.html:2 a href pipe.html",
                                        "dead index.html:2 a href gone.html",
                                        "note gone.html unreadable", "note pipe.html unreadable"}));

    // Without its index page the check cannot start: an error, not a report.
    ASSERT_EQ(unlink((site / "index.html").c_str()), 0);
    ASSERT_EQ(mkfifo((site / "index.html").c_str(), 0644), 0);
    EXPECT_THROW(CheckLinks(tree, site / "index.html"), EFOpenError);
}

TEST(LinkCheckTest, OversizedAndPathologicalPagesAreBounded) {
    TempDir site;
    std::string page = Page("Home", "<a href=\"early.html\">in reach</a>");
    page += std::string(4096, ' ') + "<a href=\"late.html\">beyond the limit</a>";
    site.Write("index.html", page);
    site.Write("early.html", "<title>Early</title>");
    site.Write("late.html", "<title>Late</title>");
    LinkCheckLimits limits;
    limits.MaxPageBytes = 2048;
    EXPECT_EQ(Lines(Check(site / "index.html", limits)),
              (std::vector<std::string>{"orphan late.html", "note index.html truncated"}));

    // Neither depth nor density of markup costs the tokenizer more than
    // its length: the link after 100,000 unclosed elements is found.
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<div><b>";
    deep += "<a href=\"deep.html\">";
    ParsedPage parsed = ParsePage(deep);
    ASSERT_EQ(parsed.Links.size(), 1u);
    EXPECT_EQ(parsed.Links[0].Value, "deep.html");
}

// One fault of every kind a page can hold, each reported once; and traps
// that are no fault, reported never.
TEST(LinkCheckTest, EveryKindOfReferenceAndFaultIsReportedOnce) {
    const std::pair<const char*, const char*> references[] = {
        {"<a href=\"gone-a.html\">a</a>", "a href gone-a.html"},
        {"<img src=\"logo.gif\" srcset=\"logo.gif 1x, gone-srcset.png 2x\">",
         "img srcset gone-srcset.png"},
        {"<picture><source srcset=\"gone.webp\"></picture>", "source srcset gone.webp"},
        {"<audio><source src=\"gone.ogg\"></audio>", "source src gone.ogg"},
        {"<video poster=\"gone-poster.jpg\"></video>", "video poster gone-poster.jpg"},
        {"<object data=\"gone.svg\"></object>", "object data gone.svg"},
        {"<embed src=\"gone.swf\">", "embed src gone.swf"},
        {"<video><track src=\"gone.vtt\"></video>", "track src gone.vtt"},
        {"<input type=image src=\"gone-button.png\">", "input src gone-button.png"},
        {"<meta http-equiv=refresh content=\"9; url=gone-next.html\">",
         "meta content gone-next.html"},
        {"<style>body { background: url(gone-bg.png) }</style>", "<style> url(gone-bg.png)"},
        {"<style>@import 'gone.css';</style>", "<style> @import \"gone.css\""},
        {"<div style=\"background: url('gone-div.png')\"></div>", "<div style> url(gone-div.png)"},
        {"<a href=\"b.html#nowhere\">x</a>", "a href b.html#nowhere (missing anchor)"},
        {"<a href=\"pics/\">pictures</a>", "a href pics/ (no default page)"},
    };
    const char* traps = "<!-- <a href=\"gone-comment.html\"> -->\n"
                        "<script>document.write('<a href=\"gone-script.html\">')</script>\n"
                        "<a href=\"#top\">top</a> <a href=\"b.html#caf%C3%A9\">b</a>\n"
                        "<link rel=stylesheet href=\"css/site.css\">\n"
                        "<a href=\"docs/guide.html\">g</a> <a href=\"notitle.html\">n</a>\n"
                        "<a href=\"empty.html\">e</a> <a href=\"dup1.html\">1</a>\n"
                        "<a href=\"dup2.html\">2</a> <img src=\"img/a.png\">";
    std::string body;
    for (const auto& [html, _] : references)
        body += std::string(html) + "\n";
    TempDir site;
    std::string index = site.Write("index.html", Page("Home", body + traps));
    site.Write("logo.gif", "GIF89a");
    site.Write("b.html", Page("B", "<p id=\"caf\xC3\xA9\">"));
    site.Write("css/site.css",
               "@import \"more.css\";\n@font-face { src: url(../fonts/gone.woff2),\n"
               "  url(../fonts/ok.woff2) } /* url(gone-comment.png) */");
    site.Write("css/more.css", "p { background: url(gone-more.png) }");
    site.Write("fonts/ok.woff2");
    site.Write("img/a.png");
    site.Write("pics/b.png");
    site.Write("_sources/guide.txt", "sources, never linked");
    site.Write("docs/guide.html", Page("Guide", ""));
    site.Write("notitle.html", "<p>no title");
    site.Write("empty.html", Page("", ""));
    site.Write("dup1.html", Page("Same", ""));
    site.Write("dup2.html", Page("Same", ""));
    site.Write("orphan.html", Page("Orphan", ""));

    std::vector<std::string> expected = {"dead css/more.css:1 url(gone-more.png)",
                                         "dead css/site.css:2 url(../fonts/gone.woff2)"};
    for (size_t i = 0; i < std::size(references); ++i)
        expected.push_back("dead index.html:" + std::to_string(i + 2) + " " + references[i].second);
    for (const char* more :
         {"orphan orphan.html", "title missing notitle.html", "title empty empty.html",
          "title duplicate \"Same\" dup1.html dup2.html", "folder docs/", "folder pics/"})
        expected.push_back(more);
    LinkReport report = Check(index);
    EXPECT_EQ(Lines(report), expected);
    EXPECT_EQ(report.CheckedFiles,
              (std::vector<std::string>{"b.html", "css/more.css", "css/site.css", "docs/guide.html",
                                        "dup1.html", "dup2.html", "empty.html", "index.html",
                                        "notitle.html", "orphan.html"}));
}

// A listener that asks to stop once the scan has found StopFiles files, or
// the check has read StopPages pages (0: never), and records what it saw.
class StopAt : public SiteCheckListener {
public:
    StopAt(int stopFiles, size_t stopPages) : stopFiles_(stopFiles), stopPages_(stopPages) {}
    void FilesFound(int count) override { files = count; }
    void PageChecked(size_t done, size_t) override { pages = done; }
    bool StopRequested() override {
        return (stopFiles_ > 0 && files >= stopFiles_) || (stopPages_ > 0 && pages >= stopPages_);
    }
    int files = 0;
    size_t pages = 0;

private:
    int stopFiles_;
    size_t stopPages_;
};

TEST(SiteCheckTest, AStopEndsTheScanOrTheCheckWithoutAReport) {
    // More pages than the workers read ahead, so that a stop leaves them busy.
    TempDir site;
    std::string links;
    for (int i = 0; i < 150; ++i) {
        site.Write("p" + std::to_string(i) + ".html", Page("P" + std::to_string(i), ""));
        links += "<a href=\"p" + std::to_string(i) + ".html\">x</a>\n";
    }
    site.Write("index.html", Page("Home", links + "<a href=\"gone.html\">x</a>"));
    TMapProfile profile = MakeStartupProfile();
    profile.SetIndexPage(site / "index.html");
    profile.SetOutputFileName(site / "sitemap.html");

    struct Case {
        int stopFiles;
        size_t stopPages;
        bool reported;
        int filesSeen; // -1: fewer than the site's files
        size_t pagesSeen;
    };
    const Case cases[] = {
        {0, 0, true, 151, 151},
        {3, 0, false, -1, 0},
        {0, 2, false, 151, 2},
        {0, 151, false, 151, 151}, // asked after the last page still counts
    };
    for (const Case& c : cases) {
        StopAt listener(c.stopFiles, c.stopPages);
        std::optional<LinkReport> report = CheckSite(profile, {}, &listener);
        SCOPED_TRACE(std::to_string(c.stopFiles) + "/" + std::to_string(c.stopPages));
        EXPECT_EQ(report.has_value(), c.reported);
        if (c.filesSeen < 0) {
            EXPECT_LT(listener.files, 151);
        } else {
            EXPECT_EQ(listener.files, c.filesSeen);
        }
        EXPECT_EQ(listener.pages, c.pagesSeen);
        if (report) {
            EXPECT_EQ(Lines(*report),
                      std::vector<std::string>{"dead index.html:152 a href gone.html"});
        }
    }
}

TEST(SiteCheckTest, FoldersLeftOutByTheScanAreNeitherDeadNorLost) {
    // "latest" comes first in the walk: the pages of v2 are listed there.
    TempDir site;
    site.Write("index.html",
               Page("Home", "<a href=\"v2/\">V</a> <a href=\"v2/a.html\">A</a>\n"
                            "<a href=\"locked/\">L</a> <a href=\"locked/d/x.html\">X</a>\n"
                            "<a href=\"LOCKED/x.html\">C</a> <a href=\"lockedx/\">Y</a>"));
    site.Write("v2/index.html",
               Page("V2", "<a href=\"b.html\">B</a> <a href=\"up/index.html\">U</a>"));
    site.Write("v2/a.html", Page("A", ""));
    site.Write("v2/b.html", Page("B", "<a href=\"gone.html\">G</a>"));
    site.Write("locked/index.html", Page("Locked", ""));
    ASSERT_EQ(symlink("v2", (site / "latest").c_str()), 0);
    ASSERT_EQ(symlink("..", (site / "v2/up").c_str()), 0);
    chmod((site / "locked").c_str(), 0);
    twtest::PermissionsHold hold;
    TMapProfile profile = MakeStartupProfile();
    profile.SetIndexPage(site / "index.html");
    profile.SetOutputFileName(site / "sitemap.html");
    std::optional<LinkReport> report = CheckSite(profile);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->PageCount, 4u);
    EXPECT_EQ(report->UnreadableFolders, std::vector<std::string>{"locked/"});
    // Only the links that miss the unreadable folder by a letter or a name are dead.
    EXPECT_EQ(Lines(*report), (std::vector<std::string>{"dead index.html:4 a href LOCKED/x.html",
                                                        "dead index.html:4 a href lockedx/",
                                                        "dead latest/b.html:2 a href gone.html"}));
}
