#include "output/PagedSiteMap.h"

#include "core/TestUtil.h"
#include "model/PageParser.h"
#include "output/ModernLayout.h"

#include <gtest/gtest.h>
#include <map>
#include <regex>

using namespace tw;

namespace {

// Builds a tree from a shape: "p" a page, "u" a page without a link, "F(...)"
// a folder linked to its default page, "D(...)" one without; every name hostile.
size_t Build(TSiteMapTree& tree, std::string_view s, SiteMapNode* parent, size_t i = 0) {
    for (; i < s.size() && s[i] != ')'; ++i) {
        TDataRec rec;
        rec.LinkText = "<&\"" + std::to_string(tree.Count()) + "\xFF";
        rec.LinkTextOrigin = TextOrigin::FileName;
        rec.IsFolder = s[i] == 'F' || s[i] == 'D';
        if (s[i] == 'p' || s[i] == 'F')
            rec.LinkURL = rec.LinkText + ".html";
        SiteMapNode* node = tree.Add(parent, rec, rec.IsFolder ? kImageFolder : kImagePage);
        if (rec.IsFolder)
            i = Build(tree, s, node, i + 2);
    }
    return i;
}

} // namespace

// Over tree shapes and limits: at most N links a page, every link on one
// page in the tree's order, whole lists, unique ids, the first page listing
// the others, the others leading back; within the limit, the unpaged page.
TEST(PagedSiteMap, EveryPartHoldsAtMostNLinksAndTheTreeOnce) {
    const std::string shapes[] = {
        "pppppppppp",                     // one run of items
        "F(pp)F(pp)F(pp)F(pp)F(pp)F(pp)", // many small folders
        "ppF(ppppppppppppF(ppp)pp)pp",    // a folder larger than N
        "F(pF(pF(pF(pF(pp)))))",          // deep
        "D(D(D(uupp)u)D(F(ppppp)uu))u",   // unlinked folders and items
    };
    const std::string part = "map%20%22%3C1%3E%23"; // the output's name, encoded
    for (const std::string& shape : shapes) {
        for (size_t n : {1, 2, 3, 5, 100}) {
            SCOPED_TRACE(shape + " N=" + std::to_string(n));
            TSiteMapTree tree;
            Build(tree, shape, nullptr);
            TMapProfile profile;
            profile.SetPageLayout(TMapPageLayout::mlayModern);
            profile.SetMaxLinks(static_cast<std::int32_t>(n));
            profile.SetOutputFileName("/site/map \"<1>#.html");
            const PagedSiteMap paged(tree, profile);
            std::vector<std::string> expected, seen;
            tree.ForEach([&](SiteMapNode& node, int) {
                if (ModernItemLinked(node, profile))
                    expected.push_back(NodeHref(node.Data));
            });
            const size_t parts = paged.PartCount();
            std::vector<std::string> pages(parts);
            for (size_t k = 0; k < parts; ++k)
                paged.WritePart(k, "en", nullptr, [&](std::string_view t) { pages[k] += t; });
            if (expected.size() <= n) {
                ASSERT_EQ(parts, 1u);
                EXPECT_EQ(pages[0], BuildModernPage(tree, profile, "en"));
                continue;
            }
            EXPECT_EQ(paged.Part(parts - 1).End, static_cast<size_t>(tree.Count()));
            for (size_t k = 0; k < parts; ++k) {
                const std::string& page = pages[k];
                EXPECT_EQ(paged.Part(k).Begin, k == 0 ? 0 : paged.Part(k - 1).End);
                std::vector<std::string> inPart;
                for (const PageLink& link : ParsePage(page).Links)
                    if (link.Tag == "a" && !link.Value.starts_with(part) &&
                        !link.Value.starts_with("https://"))
                        inPart.push_back(link.Value);
                EXPECT_LE(inPart.size(), n);
                EXPECT_EQ(inPart.size(), paged.Part(k).Links);
                seen.insert(seen.end(), inPart.begin(), inPart.end());
                const std::string of = std::to_string(k + 1) + " of " + std::to_string(parts);
                EXPECT_NE(page.find("(page " + of + ")</h1>"), std::string::npos);
                // Whole lists: as many ends as starts of each element; unique ids.
                std::map<std::string, int> open;
                const std::regex tag("<(/?)(ul|li|nav|ol|details)[ >]|id=\"([^\"]*)\"");
                for (auto it = std::sregex_iterator(page.begin(), page.end(), tag);
                     it != std::sregex_iterator(); ++it)
                    open[(*it)[3].matched ? "id " + (*it)[3].str() : (*it)[2].str()] +=
                        (*it)[3].matched    ? 1
                        : (*it)[1].length() ? -1
                                            : 1;
                for (const auto& [what, count] : open)
                    EXPECT_EQ(count, what.starts_with("id ") ? 1 : 0) << what;
                for (size_t p = 1; k == 0 && p < parts; ++p)
                    EXPECT_NE(page.find("<a href=\"" + part + "-" + std::to_string(p + 1) +
                                        ".html\">Page " + std::to_string(p + 1) +
                                        "</a>: " + std::to_string(paged.Part(p).Links) + " link"),
                              std::string::npos);
                if (k > 0) {
                    EXPECT_NE(page.find("<nav class=\"tw-crumbs\" aria-label=\"Breadcrumb\"><ol>"
                                        "<li><a href=\"" +
                                        part + ".html\">"),
                              std::string::npos);
                }
                EXPECT_EQ(page.find("<&"), std::string::npos); // every name escaped
            }
            EXPECT_EQ(seen, expected);
        }
    }
}

TEST(PagedSiteMap, PartNames) {
    EXPECT_EQ(SiteMapPartFile("/s/sitemap.html", 1), "/s/sitemap.html");
    EXPECT_EQ(SiteMapPartFile("/s/sitemap.html", 12), "/s/sitemap-12.html");
    EXPECT_EQ(SiteMapPartFile("/s.d/map", 2), "/s.d/map-2");
    for (const char* path : {"/s/sitemap-2.html", "/s/sitemap-10.html"})
        EXPECT_TRUE(IsLaterSiteMapPart("/s/sitemap.html", path)) << path;
    for (const char* path : {"/s/sitemap-1.html", "/s/sitemap-02.html", "/s/sitemap-.html",
                             "/s/sitemap-2x.html", "/s/sitemap-2.htm", "/s/a/sitemap-2.html",
                             "/s/sitemap.html", "/s/sitemap-99999999999.html"})
        EXPECT_FALSE(IsLaterSiteMapPart("/s/sitemap.html", path)) << path;
    // The scan leaving them out: PagingCliTest, whose runs would list them.
}

// In a template every part is the template with its one nav: the pages'
// lists, breadcrumb and filter inside it, every added rule scoped under it.
TEST(PagedSiteMap, EveryPartGoesIntoTheTemplate) {
    twtest::TempDir dir;
    const std::string frame = "<!DOCTYPE html><html lang=\"fr\"><head><title>Own</title></head>"
                              "<body><h1>Own</h1><!-- trailwright:sitemap --></body></html>";
    dir.Write("frame.html", frame);
    TSiteMapTree tree;
    Build(tree, "F(pp)F(pp)F(pp)", nullptr);
    TMapProfile profile;
    profile.SetPageLayout(TMapPageLayout::mlayModern);
    profile.SetMaxLinks(3);
    profile.SetFilterBox(true);
    profile.SetPageTemplate(dir / "frame.html");
    profile.SetOutputFileName(dir / "map.html");
    const PagedSiteMap paged(tree, profile);
    ASSERT_EQ(paged.PartCount(), 3u);
    for (size_t k = 0; k < 3; ++k) {
        std::string page;
        paged.WritePart(k, "en", nullptr, [&](std::string_view t) { page += t; });
        EXPECT_TRUE(page.starts_with("<!DOCTYPE html><html lang=\"fr\"><head><title>Own</title>"));
        EXPECT_TRUE(page.ends_with("</body></html>"));
        EXPECT_EQ(page.find("<h1"), page.rfind("<h1")); // the template's own only
        const size_t nav = page.find("<nav id=\"trailwright-sitemap\"");
        ASSERT_NE(nav, std::string::npos);
        EXPECT_NE(page.find("(page " + std::to_string(k + 1) + " of 3)</h2>"), std::string::npos);
        EXPECT_EQ(page.find(k == 0 ? "tw-crumbs\"" : "<h3 id=\"tw-parts\""), std::string::npos);
        EXPECT_GT(page.find(k == 0 ? "<h3 id=\"tw-parts\"" : "class=\"tw-crumbs\""), nav);
        EXPECT_NE(page.find("#trailwright-sitemap .tw-crumbs ol{"), std::string::npos);
        EXPECT_EQ(page.find("\n.tw-"), std::string::npos);
        EXPECT_NE(page.find("getElementById(\"tw-map\")"), std::string::npos);
    }
}
