#include "output/PagedSiteMap.h"

#include "core/TestUtil.h"
#include "model/PageParser.h"
#include "output/ModernLayout.h"
#include "scan/ScanRun.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>

using namespace tw;

namespace {

// Builds a tree from a shape: "p" a page, "u" a page without a link, "F(...)"
// a folder linked to its default page, "D(...)" one without.
class ShapeBuilder {
public:
    explicit ShapeBuilder(TSiteMapTree& tree) : tree_(tree) {}
    void Build(std::string_view shape) { Items(shape, nullptr, "", 0); }

private:
    size_t Items(std::string_view s, SiteMapNode* parent, const std::string& folder, size_t i) {
        while (i < s.size() && s[i] != ')') {
            const char c = s[i++];
            const std::string name = "<&\"" + std::to_string(++n_) + "\xFF";
            TDataRec rec;
            rec.LinkText = name, rec.LinkTextOrigin = TextOrigin::FileName;
            rec.IsFolder = c == 'F' || c == 'D';
            rec.LinkURL =
                c == 'D' || c == 'u' ? "" : folder + name + (rec.IsFolder ? "/i.html" : ".html");
            SiteMapNode* node = tree_.Add(parent, rec, rec.IsFolder ? kImageFolder : kImagePage);
            if (rec.IsFolder)
                i = Items(s, node, folder + name + "/", i + 1) + 1; // past "(" and ")"
        }
        return i;
    }
    TSiteMapTree& tree_;
    int n_ = 0;
};

size_t Count(const std::string& text, const std::string& piece) {
    size_t n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++n;
    return n;
}

} // namespace

// Over tree shapes and limits: no page holds more than N links, each link of
// the tree is on exactly one page in the tree's order, the first page lists
// every page with its count, every other page leads back to it, the lists
// and ids of each page are whole, and a map within the limit is the one page
// the layout writes without paging.
TEST(PagedSiteMap, EveryPartHoldsAtMostNLinksAndTheTreeOnce) {
    const std::vector<std::string> shapes = {
        "pppppppppp",                     // one run of items
        "F(pp)F(pp)F(pp)F(pp)F(pp)F(pp)", // many small folders
        "ppF(ppppppppppppF(ppp)pp)pp",    // a folder larger than N
        "F(pF(pF(pF(pF(pp)))))",          // deep
        "D(D(D(uupp)u)D(F(ppppp)uu))u",   // unlinked folders and items
    };
    const std::string output = "/site/map \"<1>#.html";
    for (const std::string& shape : shapes) {
        for (size_t n : {1, 2, 3, 5, 100}) {
            SCOPED_TRACE(shape + " N=" + std::to_string(n));
            TSiteMapTree tree;
            ShapeBuilder(tree).Build(shape);
            TMapProfile profile;
            profile.SetPageLayout(TMapPageLayout::mlayModern);
            profile.SetMaxLinks(static_cast<std::int32_t>(n));
            profile.SetOutputFileName(output);
            const PagedSiteMap paged(tree, profile);
            std::vector<std::string> expected, seen;
            tree.ForEach([&](SiteMapNode& node, int) {
                if (ModernItemLinked(node, profile))
                    expected.push_back(NodeHref(node.Data));
            });
            const size_t parts = paged.PartCount();
            if (expected.size() <= n) {
                ASSERT_EQ(parts, 1u);
                std::string page;
                paged.WritePart(0, "en", nullptr, [&page](std::string_view t) { page += t; });
                EXPECT_EQ(page, BuildModernPage(tree, profile, "en"));
                continue;
            }
            for (size_t k = 0; k < parts; ++k) // contiguous, covering every node
                EXPECT_EQ(paged.Part(k).Begin, k == 0 ? 0 : paged.Part(k - 1).End);
            EXPECT_EQ(paged.Part(parts - 1).End, static_cast<size_t>(tree.Count()));
            const std::string firstHref = "map%20%22%3C1%3E%23.html";
            for (size_t k = 0; k < parts; ++k) {
                std::string page;
                paged.WritePart(k, "en", nullptr, [&page](std::string_view t) { page += t; });
                std::vector<std::string> inPart;
                for (const PageLink& link : ParsePage(page).Links)
                    if (link.Tag == "a" && !link.Value.starts_with("map%20") &&
                        !link.Value.starts_with("https://"))
                        inPart.push_back(link.Value);
                EXPECT_LE(inPart.size(), n) << page;
                EXPECT_EQ(inPart.size(), paged.Part(k).Links);
                seen.insert(seen.end(), inPart.begin(), inPart.end());
                EXPECT_NE(page.find("(page " + std::to_string(k + 1) + " of " +
                                    std::to_string(parts) + ")</h1>"),
                          std::string::npos);
                for (const char* tag : {"ul", "li", "nav", "ol"})
                    EXPECT_EQ(Count(page, "<" + std::string(tag) + ">") +
                                  Count(page, "<" + std::string(tag) + " "),
                              Count(page, "</" + std::string(tag) + ">"))
                        << tag;
                std::set<std::string> ids;
                const std::regex id("id=\"([^\"]*)\"");
                for (auto it = std::sregex_iterator(page.begin(), page.end(), id);
                     it != std::sregex_iterator(); ++it)
                    EXPECT_TRUE(ids.insert((*it)[1]).second) << (*it)[1];
                if (k == 0) {
                    for (size_t p = 1; p < parts; ++p) {
                        const std::string href =
                            "map%20%22%3C1%3E%23-" + std::to_string(p + 1) + ".html";
                        EXPECT_NE(
                            page.find("<a href=\"" + href + "\">Page " + std::to_string(p + 1) +
                                      "</a>: " + std::to_string(paged.Part(p).Links) + " link"),
                            std::string::npos)
                            << href;
                    }
                } else {
                    EXPECT_NE(
                        page.find("<nav class=\"tw-crumbs\" aria-label=\"Breadcrumb\"><ol><li>"
                                  "<a href=\"" +
                                  firstHref + "\">"),
                        std::string::npos);
                }
                EXPECT_EQ(page.find("<&"), std::string::npos); // every name escaped
            }
            EXPECT_EQ(seen, expected);
        }
    }
}

TEST(PagedSiteMap, PartNamesAndTheScanLeavingThemOut) {
    EXPECT_EQ(SiteMapPartFile("/s/sitemap.html", 1), "/s/sitemap.html");
    EXPECT_EQ(SiteMapPartFile("/s/sitemap.html", 12), "/s/sitemap-12.html");
    EXPECT_EQ(SiteMapPartFile("/s.d/map", 2), "/s.d/map-2");
    const std::vector<std::pair<std::string, bool>> names = {
        {"/s/sitemap-2.html", true},  {"/s/sitemap-10.html", true},
        {"/s/sitemap-1.html", false}, {"/s/sitemap-02.html", false},
        {"/s/sitemap-.html", false},  {"/s/sitemap-2x.html", false},
        {"/s/sitemap-2.htm", false},  {"/s/a/sitemap-2.html", false},
        {"/s/sitemap.html", false},   {"/s/sitemap-99999999999.html", false},
    };
    for (const auto& [path, later] : names)
        EXPECT_EQ(IsLaterSiteMapPart("/s/sitemap.html", path), later) << path;

    // The scan leaves the parts out only when the page is paged; a name that
    // is no part stays.
    twtest::TempDir site;
    site.Write("index.html");
    for (const char* name :
         {"SiteMap-2.html", "sitemap-9.html", "sitemap-02.html", "sub/sitemap-3.html"})
        site.Write(name, "<title>x</title>");
    for (std::int32_t maxLinks : {0, 5}) {
        TMapProfile profile = MakeStartupProfile();
        profile.SetIndexPage(site / "index.html");
        profile.SetOutputFileName(site / "sitemap.html");
        profile.SetOutputType(TMapOutputType::moutFile);
        profile.SetPageLayout(TMapPageLayout::mlayModern);
        profile.SetMaxLinks(maxLinks);
        TSiteMapTree tree;
        ScanRun scan(tree, profile, nullptr);
        scan.Run();
        EXPECT_EQ(scan.FoundCount(), maxLinks == 0 ? 5 : 3);
    }
}
