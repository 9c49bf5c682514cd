#include "output/ModernLayout.h"

#include "model/PageParser.h"

#include <array>
#include <gtest/gtest.h>

using namespace tw;

namespace {

// A small site whose names and titles attack the page: markup, quotes,
// references that name nothing, controls, bytes that are not UTF-8, a typed
// script link; one empty folder and one without a default page.
void BuildHostile(TSiteMapTree& tree) {
    auto add = [&tree](SiteMapNode* parent, const char* text, const char* url, int image,
                       TextOrigin origin = TextOrigin::FileName) {
        TDataRec rec;
        rec.LinkText = text, rec.LinkURL = url, rec.LinkTextOrigin = origin;
        rec.IsFolder = image == kImageFolder;
        return tree.Add(parent, rec, image);
    };
    SiteMapNode* root = add(nullptr, "Home", "index.html", kImageFolder);
    add(root, "<script>alert(1)</script>.html", "<script>.html", kImagePage);
    add(root, "\"><img src=x onerror=alert(1)> &bogus; &amp; \x01\xFF", "t.html", kImagePage,
        TextOrigin::PageTitle);
    add(root, "Run", "", kImagePage, TextOrigin::AsTyped)->Data.EditLinkURL(" JavaScript:alert(1)");
    add(root, "empty", "empty/index.html", kImageFolder);
    add(add(root, "docs", "", kImageFolder), "logo.png", "docs/logo.png", kImagePicture);
}

} // namespace

// Each option's fragments (icons shown as "*"); in every page the hostile
// texts stay text, the links are the tree's in its order (the typed script
// link is none).
TEST(ModernLayout, EveryOptionWritesAValidPageOfTheTree) {
    const std::vector<std::pair<void (*)(TMapProfile&), std::vector<std::string>>> cases = {
        {[](TMapProfile&) {},
         {"<!DOCTYPE html>\n<html lang=\"de-CH\">\n<head>\n<meta charset=\"utf-8\">",
          "<meta name=\"generator\" content=\"Zephyrix Trailwright\">", "--link:#0000FF",
          "<main>\n<h1 id=\"tw-title\">Site Map</h1>\n<nav id=\"tw-map\" aria-labelledby",
          "<li class=\"f\">*<a href=\"empty/index.html\">empty</a></li>",
          "<span class=\"n\">docs</span>\n<ul>\n<li class=\"g\">", "</ul></li>\n</ul>\n</nav>",
          "<footer><p>Made with <a href=\"https://www.zephyrix.example/\">"}},
        {[](TMapProfile& p) { p.SetCollapsible(true); },
         {"<li class=\"f\"><details open><summary>*Home</summary>\n<ul>\n<li "
          "class=\"p\">*<a href=\"index.html\">Home</a></li>",
          "<details open><summary>*docs</summary>", "</ul></details></li>\n</ul>\n</nav>"}},
        {[](TMapProfile& p) {
             p.SetFilterBox(true), p.SetNoCredit(true), p.SetPageTitle("Plan & <Map>");
         },
         {"<title>Plan &amp; &lt;Map&gt;</title>",
          "<h1 id=\"tw-title\">Plan &amp; &lt;Map&gt;</h1>",
          "hidden>\n<label for=\"tw-filter\">Filter the site map</label>\n<input "
          "type=\"search\" id=\"tw-filter\""}},
    };
    TSiteMapTree tree;
    BuildHostile(tree);
    for (const auto& [set, pieces] : cases) {
        TMapProfile profile;
        set(profile);
        std::string page = BuildModernPage(tree, profile, "de-CH");
        const std::string icon = "<span class=\"k\" aria-hidden=\"true\"></span>";
        for (size_t at; (at = page.find(icon)) != std::string::npos;)
            page.replace(at, icon.size(), "*");
        for (const std::string& piece : pieces)
            EXPECT_NE(page.find(piece), std::string::npos) << piece;
        EXPECT_EQ(page.find("<footer>") == std::string::npos, profile.NoCredit());
        EXPECT_EQ(page.find("<script>") == std::string::npos, !profile.FilterBox());
        EXPECT_EQ(page.find("<details") == std::string::npos, !profile.Collapsible());
        std::vector<std::string> hrefs;
        for (const PageLink& link : ParsePage(page).Links)
            if (link.Tag == "a" && !link.Value.starts_with("https://"))
                hrefs.push_back(link.Value);
        EXPECT_EQ(hrefs, (std::vector<std::string>{"index.html", "%3Cscript%3E.html", "t.html",
                                                   "empty/index.html", "docs/logo.png"}));
        EXPECT_NE(page.find(">&lt;script&gt;alert(1)&lt;/script&gt;.html</a>"), std::string::npos);
        EXPECT_NE(page.find(">&quot;&gt;&lt;img src=x onerror=alert(1)&gt; &amp;bogus; &amp; "
                            "\xEF\xBF\xBD\xEF\xBF\xBD</a>"),
                  std::string::npos);
    }
}

TEST(ModernLayout, LanguageIsTheOptionElseTheIndexPagesElseEnglish) {
    // The profile's lang, the index page's lang, the page's.
    const std::array<const char*, 3> cases[] = {
        {"", "", "en"},           {"", "fr", "fr"},
        {"pt-BR", "fr", "pt-BR"}, {"", "en_US", "en"},
        {"", "en--US", "en"},     {"", "\"><b>", "en"},
        {"bad tag", "nl", "nl"},  {"", "zh-Hant-TW", "zh-Hant-TW"},
    };
    for (auto [option, index, expected] : cases) {
        TMapProfile profile;
        profile.SetPageLang(option);
        EXPECT_EQ(ModernPageLanguage(profile, index), expected) << option << "|" << index;
    }
    EXPECT_EQ(ParsePage("<!-- <html lang=no> --><HTML LANG='sv'><html lang=da>").Lang, "sv");
}

TEST(ModernLayout, AnEmptyTreeHasNoEmptyList) {
    const std::string page = BuildModernPage(TSiteMapTree(), TMapProfile(), "en");
    EXPECT_NE(page.find("<nav id=\"tw-map\" aria-labelledby=\"tw-title\">\n<p>The site map "
                        "lists no pages.</p>\n</nav>"),
              std::string::npos);
}
