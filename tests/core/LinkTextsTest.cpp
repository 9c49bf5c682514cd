#include "model/LinkTexts.h"

#include "core/TestUtil.h"
#include "scan/ScanRun.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(LinkTexts, TheSitesNameIsThePartMostTitlesShare) {
    struct Case {
        std::vector<std::string> titles;
        std::string part;
        TitlePartPlace place = TitlePartPlace::End;
    };
    std::vector<Case> cases = {
        {{"A &#8212; Site", "B \xE2\x80\x94 Site", "C &mdash; Site"}, "Site"},
        {{"Site | A", "Site | B", "C"}, "Site", TitlePartPlace::Start},
        {{"A - S", "B - S", "C", "D"}, ""}, // half is not more than half
        {{"A - S"}, ""},                    // one title
        {{"Site", "Site", "Site"}, ""},     // no separator, nothing beside it
        {{"A \xE2\x80\x94 Docs \xE2\x80\x94 Py", "B \xE2\x80\x94 Docs \xE2\x80\x94 Py"},
         "Docs \xE2\x80\x94 Py"},
        {{"<b> :: <script>", "x :: <script>"}, "<script>"},
        {{"\xFF | S\xFE", "a | S\xFE"}, "S\xFE"},
        // Distinct parts after the shared one wear down the summary's counters.
        {{"p - S", "q - S", "r - S", "s - S", "a - b - c - d - e", "f - g - h - i - j",
          "k - l - m - n - o"},
         "S"},
    };
    for (std::string_view sep : kTitleSeparators)
        cases.push_back({{"A" + std::string(sep) + "S", "B" + std::string(sep) + "S"}, "S"});
    for (const Case& c : cases) {
        std::vector<std::string_view> titles(c.titles.begin(), c.titles.end());
        TitlePart found = FindSitePart(titles);
        EXPECT_EQ(found.Text, c.part) << c.titles[0];
        EXPECT_EQ(found.Place, c.part.empty() ? TitlePartPlace::Either : c.place) << c.titles[0];
    }
}

TEST(LinkTexts, TrimmingKeepsTheRestAsThePageWroteIt) {
    struct Case {
        std::string title, part;
        TitlePartPlace place;
        std::string trimmed;
    };
    const auto end = TitlePartPlace::End, either = TitlePartPlace::Either;
    const std::vector<Case> cases = {
        {"CPU Architectures &#8212; The Linux Kernel documentation",
         "The Linux Kernel documentation", end, "CPU Architectures"},
        {"Tom &amp; Jerry | Site", "Site", end, "Tom &amp; Jerry"},
        {"A&#32;|&#32;Site", "Site", end, "A"},
        {"A :: Site", "Site", end, "A"},
        {"Site: Intro &lt;b&gt;", "Site", either, "Intro &lt;b&gt;"},
        {"Site: Intro", "Site", end, "Site: Intro"},
        {": Site", "Site", end, ": Site"}, // would be empty
        {"Site", "Site", either, "Site"},
        {"My Site", "Site", end, "My Site"}, // no separator
        {"x - Site\xFF", "Site\xFF", end, "x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrimTitle(c.title, {c.part, c.place}), c.trimmed) << c.title;
}

TEST(LinkTexts, NaturalOrderIgnoresCaseAndReadsNumbers) {
    const std::string big(400, '9');
    const std::vector<std::tuple<std::string, std::string, int>> cases = {
        {"Page 2", "Page 10", -1}, {"page 2", "Page 2", 0},    {"x 007", "x 7", 0},
        {"v1.10", "v1.9", 1},      {"ab", "abc", -1},          {"", "a", -1},
        {"Zeta", "alpha", 1},      {big + "8", big + "9", -1}, {"1" + big, big, 1},
    };
    for (const auto& [a, b, sign] : cases) {
        EXPECT_EQ(NaturalCompare(a, b), sign) << a << " / " << b;
        EXPECT_EQ(NaturalCompare(b, a), -sign) << b << " / " << a;
    }
}

TEST(LinkTexts, AScanGivesTheTreeTheTextsAsked) {
    twtest::TempDir site;
    site.Write("index.html", "<title>Home &#8212; Site</title>");
    site.Write("p10.html", "<title>Page 10 &#8212; Site</title>");
    site.Write("p2.html", "<title>page 2 | Site</title>");
    site.Write("x86/index.html", "<title>X86 &amp; more — Site</title>");
    site.Write("b/z.html", "<title>Zed — Site</title>");
    TMapProfile profile = MakeStartupProfile();
    profile.SetIndexPage(site / "index.html");
    profile.SetUsePageTitles(true);
    auto texts = [&] {
        TSiteMapTree tree;
        ScanRun run(tree, profile);
        run.Run();
        std::string all;
        tree.ForEach([&](SiteMapNode& n, int) {
            EXPECT_EQ(n.Parent() ? n.Parent()->Child(n.Row()) : tree.TopLevel(n.Row()), &n);
            all += std::string(static_cast<size_t>(n.Level()), '.') + n.Data.LinkText + "\n";
        });
        return std::pair(all, run.TrimmedTitlePart().Text);
    };
    profile.SetTrimTitles(TMapTrimTitles::mttAuto);
    profile.SetFolderTitles(true);
    profile.SetItemSort(TMapItemSort::msortName);
    EXPECT_EQ(texts(), std::pair(std::string("Home\n.Home\n.page 2\n.Page 10\n.b\n..Zed\n"
                                             ".X86 &amp; more\n..X86 &amp; more\n"),
                                 std::string("Site")));
}
