#include "output/SiteMapWriter.h"

#include "core/TestUtil.h"
#include "scan/ScanRun.h"
#include "support/NXFiles.h"
#include "support/UrlText.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>

using namespace tw;
using twtest::CrLfLines;

namespace {

SiteMapNode* AddNode(TSiteMapTree& tree, SiteMapNode* parent, const std::string& text,
                     const std::string& url, int image) {
    TDataRec rec;
    rec.LinkText = text;
    rec.LinkURL = url;
    rec.IsFolder = image == kImageFolder;
    rec.FilePath = "/site/" + url;
    return tree.Add(parent, rec, image);
}

// The seven-node example site: Home, About Us, logo.gif, docs with Manual,
// news with News.
void BuildExample(TSiteMapTree& tree) {
    SiteMapNode* home = AddNode(tree, nullptr, "Home", "index.html", kImageFolder);
    AddNode(tree, home, "About Us", "about.html", kImagePage);
    AddNode(tree, home, "logo.gif", "logo.gif", kImagePicture);
    SiteMapNode* docs = AddNode(tree, home, "docs", "", kImageFolder);
    AddNode(tree, docs, "Manual", "docs/manual.html", kImagePage);
    SiteMapNode* news = AddNode(tree, home, "news", "news/index.html", kImageFolder);
    AddNode(tree, news, "News", "news/index.html", kImagePage);
}

TMapProfile Options(TMapOutputFormat format, bool classes, bool images, bool noFolderImages,
                    bool noFolderLinks) {
    TMapProfile p;
    p.SetOutputFormat(format);
    p.SetClassAttribs(classes);
    p.SetAddImages(images);
    p.SetNoFolderImages(noFolderImages);
    p.SetNoFolderLinks(noFolderLinks);
    return p;
}

} // namespace

TEST(SiteMapWriter, ListFormatWithoutOptions) {
    TSiteMapTree tree;
    BuildExample(tree);
    auto p = Options(TMapOutputFormat::mfmtList, false, false, false, false);
    EXPECT_EQ(BuildSiteMap(tree, p),
              CrLfLines({
                  "<ul><b><a href=\"index.html\">Home</a></b>",
                  "  <dt>&nbsp;&nbsp;<a href=\"about.html\">About Us</a></dt>",
                  "  <dt>&nbsp;&nbsp;<a href=\"logo.gif\">logo.gif</a></dt>",
                  "  <ul><b>docs</b>",
                  "    <dt>&nbsp;&nbsp;<a href=\"docs/manual.html\">Manual</a></dt>",
                  "  </ul>",
                  "  <ul><b><a href=\"news/index.html\">news</a></b>",
                  "    <dt>&nbsp;&nbsp;<a href=\"news/index.html\">News</a></dt>",
                  "  </ul>",
                  "</ul>",
              }));
}

TEST(SiteMapWriter, ListFormatWithClassesAndImages) {
    TSiteMapTree tree;
    BuildExample(tree);
    auto p = Options(TMapOutputFormat::mfmtList, true, true, false, false);
    std::string expectedStart = CrLfLines({
        "<ul><img src=\"smfolder.gif\">&nbsp;<b class=\"mapsection\"><a "
        "href=\"index.html\">Home</a></b>",
        "  <dt>&nbsp;&nbsp;<img src=\"smfile.gif\">&nbsp;<a href=\"about.html\" "
        "class=\"mapitem\">About Us</a></dt>",
        "  <dt>&nbsp;&nbsp;<img src=\"smimg.gif\">&nbsp;<a href=\"logo.gif\" "
        "class=\"mapitem\">logo.gif</a></dt>",
        "  <ul><img src=\"smfolder.gif\">&nbsp;<b class=\"mapsection\">docs</b>",
    });
    std::string out = BuildSiteMap(tree, p);
    EXPECT_EQ(out.substr(0, expectedStart.size()), expectedStart);
}

TEST(SiteMapWriter, ParagraphFormatWithAllOptions) {
    TSiteMapTree tree;
    BuildExample(tree);
    auto p = Options(TMapOutputFormat::mfmtParagraph, true, true, true, true);
    EXPECT_EQ(BuildSiteMap(tree, p),
              CrLfLines({
                  "<p><b class=\"mapsection\">Home</b><br>",
                  "  <img src=\"smfile.gif\">&nbsp;<a href=\"about.html\" "
                  "class=\"mapitem\">About Us</a><br>",
                  "  <img src=\"smimg.gif\">&nbsp;<a href=\"logo.gif\" "
                  "class=\"mapitem\">logo.gif</a>",
                  "</p>",
                  "<p><b class=\"mapsection\">docs</b><br>",
                  "  <img src=\"smfile.gif\">&nbsp;<a href=\"docs/manual.html\" "
                  "class=\"mapitem\">Manual</a>",
                  "</p>",
                  "<p><b class=\"mapsection\">news</b><br>",
                  "  <img src=\"smfile.gif\">&nbsp;<a href=\"news/index.html\" "
                  "class=\"mapitem\">News</a><br>",
                  "</p>",
              }));
}

TEST(SiteMapWriter, EmptyTreeAndRootOnly) {
    TSiteMapTree tree;
    for (auto format : {TMapOutputFormat::mfmtList, TMapOutputFormat::mfmtParagraph})
        EXPECT_EQ(BuildSiteMap(tree, Options(format, false, false, false, false)), "");
    AddNode(tree, nullptr, "Home", "", kImageFolder);
    EXPECT_EQ(BuildSiteMap(tree, Options(TMapOutputFormat::mfmtList, false, false, false, false)),
              CrLfLines({"<ul><b>Home</b>", "</ul>"}));
    EXPECT_EQ(
        BuildSiteMap(tree, Options(TMapOutputFormat::mfmtParagraph, false, false, false, false)),
        CrLfLines({"<p><b>Home</b><br>", "</p>"}));
}

TEST(SiteMapWriter, ChildlessFoldersCloseTheirListBeforeTheNextFolder) {
    TSiteMapTree tree;
    SiteMapNode* home = AddNode(tree, nullptr, "Home", "", kImageFolder);
    AddNode(tree, home, "p", "", kImagePage); // a page with an empty URL
    SiteMapNode* a = AddNode(tree, home, "a", "", kImageFolder);
    AddNode(tree, a, "a1", "", kImageFolder); // left empty by the user
    AddNode(tree, home, "b", "", kImageFolder);
    EXPECT_EQ(BuildSiteMap(tree, Options(TMapOutputFormat::mfmtList, false, false, false, false)),
              CrLfLines({
                  "<ul><b>Home</b>",
                  "  <dt>&nbsp;&nbsp;<a href=\"\">p</a></dt>",
                  "  <ul><b>a</b>",
                  "    <ul><b>a1</b>",
                  "    </ul>",
                  "  </ul>",
                  "  <ul><b>b</b>",
                  "  </ul>",
                  "</ul>",
              }));
}

TEST(SiteMapWriter, NoFolderImagesNeedsAddImages) {
    TSiteMapTree tree;
    AddNode(tree, nullptr, "Home", "index.html", kImageFolder);
    auto without = Options(TMapOutputFormat::mfmtList, false, false, true, false);
    auto plain = Options(TMapOutputFormat::mfmtList, false, false, false, false);
    EXPECT_EQ(BuildSiteMap(tree, without), BuildSiteMap(tree, plain));
    auto withImages = Options(TMapOutputFormat::mfmtList, false, true, true, false);
    EXPECT_EQ(BuildSiteMap(tree, withImages),
              CrLfLines({"<ul><b><a href=\"index.html\">Home</a></b>", "</ul>"}));
}

// A scanned name links to exactly its own bytes, whatever they hold; an
// address the user typed keeps its query and fragment and only loses what
// would end the attribute or break the line.
TEST(SiteMapWriter, TextIsWrittenAsItIsAndHrefsAreMadeSafe) {
    struct Case {
        bool typed;
        const char* folder;
        const char* page;
        const char* control;
    };
    const Case cases[] = {
        {false, "caf%C3%A9/", "a%20%22b%22.html%3Fx%3D1%23top%2520", "x%0Ay%7F.html"},
        {true, "caf%C3%A9/", "a %22b%22.html?x=1#top%20", "x%0Ay%7F.html"},
    };
    for (const Case& c : cases) {
        TSiteMapTree tree;
        SiteMapNode* home = AddNode(tree, nullptr, "R&D <Home>", "", kImageFolder);
        SiteMapNode* page = AddNode(tree, home, "Tom & \"Jerry\"", "", kImagePage);
        SiteMapNode* control = AddNode(tree, home, "ctl", "", kImagePage);
        const std::pair<SiteMapNode*, std::string> urls[] = {
            {home, "caf\xC3\xA9/"}, {page, "a \"b\".html?x=1#top%20"}, {control, "x\ny\x7F.html"}};
        for (const auto& [node, url] : urls) {
            if (c.typed)
                node->Data.EditLinkURL(url);
            else
                node->Data.LinkURL = url;
        }
        EXPECT_EQ(BuildSiteMap(
                      tree, Options(TMapOutputFormat::mfmtParagraph, false, false, false, false)),
                  CrLfLines({
                      std::string("<p><b><a href=\"") + c.folder + "\">R&D <Home></a></b><br>",
                      std::string("  <a href=\"") + c.page + "\">Tom & \"Jerry\"</a><br>",
                      std::string("  <a href=\"") + c.control + "\">ctl</a><br>",
                      "</p>",
                  }))
            << (c.typed ? "typed" : "scanned");
    }
}

// Names and titles come from the site, which anyone may have filled; only
// what the user typed may put markup into the published page.
TEST(SiteMapWriter, ScannedTextsCannotOpenElements) {
    twtest::TempDir site;
    site.Write("index.html", "<title>Tom &amp; Jerry</title>");
    site.Write("<img src=x onerror=alert(1)>.html", "no title");
    site.Write("t.html", "<title>x<script>alert(1)</script></title>");
    site.Write("R&D <i>/p.html", "<title>P</title>");
    TMapProfile profile = Options(TMapOutputFormat::mfmtParagraph, false, false, false, true);
    profile.SetIndexPage(site / "index.html");
    profile.SetFileTypes("*.html;");
    profile.SetUsePageTitles(true);
    TSiteMapTree tree;
    ScanRun(tree, profile).Run();
    auto page = [](const std::string& name, const std::string& title, const std::string& folder,
                   const std::string& inside) {
        return CrLfLines({
            "<p><b>Home</b><br>",
            "  <a href=\"%3Cimg%20src%3Dx%20onerror%3Dalert%281%29%3E.html\">" + name + "</a><br>",
            "  <a href=\"index.html\">Tom &amp; Jerry</a><br>",
            "  <a href=\"t.html\">" + title + "</a>",
            "</p>",
            "<p><b>" + folder + "</b><br>",
            "  <a href=\"R%26D%20%3Ci%3E/p.html\">" + inside + "</a><br>",
            "</p>",
        });
    };
    const std::string scanned = page("&lt;img src=x onerror=alert(1)&gt;.html",
                                     "x&lt;script>alert(1)&lt;/script>", "R&amp;D &lt;i&gt;", "P");
    EXPECT_EQ(BuildSiteMap(tree, profile), scanned);

    // OK on an unchanged text keeps its origin; a changed text is written as typed.
    std::vector<SiteMapNode*> nodes = tree.NodesInIndexOrder();
    ASSERT_EQ(nodes.size(), 6u);
    for (SiteMapNode* node : nodes)
        node->Data.EditLinkText(std::string(node->Data.LinkText));
    EXPECT_EQ(BuildSiteMap(tree, profile), scanned);
    nodes[1]->Data.EditLinkText("<em>Mine</em>");
    nodes[3]->Data.EditLinkText("x<script>alert(1)</script>!");
    nodes[4]->Data.EditLinkText("R&D <i>lab</i>");
    nodes[5]->Data.EditLinkText("<b>P</b>");
    EXPECT_EQ(BuildSiteMap(tree, profile),
              page("<em>Mine</em>", "x<script>alert(1)</script>!", "R&D <i>lab</i>", "<b>P</b>"));
}

// Names a hostile site may hold: every href of the page is a relative path
// of unreserved bytes and escapes that leads to exactly the named file.
TEST(SiteMapWriter, HostileNamesLinkToThemselves) {
    const std::vector<std::string> names = {"javascript:alert(document.cookie)/index.html",
                                            "javascript:alert(1);x=location.html",
                                            "data:text,x.html",
                                            "vbscript:msgbox.html",
                                            "JaVaScRiPt:alert(1).html",
                                            "a#b.html",
                                            "a?b=1.html",
                                            "100%.html",
                                            "%41.html",
                                            "&lt.html",
                                            "&amp;.html",
                                            "it's \"quoted\".html",
                                            std::string("ctl\x01\x7F.html"),
                                            std::string("caf\xE9.html"),
                                            " lead.html",
                                            "a b/c d.html"};
    twtest::TempDir site;
    site.Write("index.html", "<title>Home</title>");
    for (const std::string& name : names)
        site.Write(name, "<title>x</title>");
    for (bool folderLinks : {false, true}) {
        TMapProfile profile = Options(TMapOutputFormat::mfmtList, false, true, false, !folderLinks);
        profile.SetIndexPage(site / "index.html");
        profile.SetFileTypes("*.html;");
        TSiteMapTree tree;
        ScanRun(tree, profile).Run();
        const std::string page = BuildSiteMap(tree, profile);
        const std::regex href("href=\"([^\"]*)\"");
        std::set<std::string> reached;
        for (auto it = std::sregex_iterator(page.begin(), page.end(), href);
             it != std::sregex_iterator(); ++it) {
            const std::string value = (*it)[1];
            ASSERT_TRUE(std::regex_match(
                value, std::regex("[A-Za-z0-9._~/-]*(%[0-9A-F]{2}[A-Za-z0-9._~/-]*)*")))
                << value;
            const std::string target = PercentDecoded(value);
            ASSERT_TRUE(FileExists(site / target)) << value;
            reached.insert(target);
        }
        for (const std::string& name : names)
            EXPECT_EQ(reached.count(name), 1u) << name;
    }
}

namespace {
struct Progress : WriterListener {
    std::vector<std::string> events;
    void BeforeNode(const SiteMapNode& n, int index, int count) override {
        events.push_back("before " + std::to_string(index) + "/" + std::to_string(count) + " " +
                         n.Data.LinkText);
    }
    void AfterNode(const SiteMapNode&, int index, int) override {
        events.push_back("after " + std::to_string(index));
    }
};
} // namespace

TEST(SiteMapWriter, ReportsEveryNodeInIndexOrder) {
    TSiteMapTree tree;
    BuildExample(tree);
    Progress progress;
    BuildSiteMap(tree, Options(TMapOutputFormat::mfmtList, false, false, false, false), &progress);
    ASSERT_EQ(progress.events.size(), 14u);
    EXPECT_EQ(progress.events[0], "before 0/7 Home");
    EXPECT_EQ(progress.events[1], "after 0");
    EXPECT_EQ(progress.events[8], "before 4/7 Manual");
    EXPECT_EQ(progress.events[13], "after 6");
}
