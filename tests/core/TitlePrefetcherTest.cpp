#include "core/TestUtil.h"
#include "model/PageTitle.h"
#include "scan/TitlePrefetcher.h"

#include <gtest/gtest.h>

using namespace tw;
using twtest::TempDir;

TEST(TitlePrefetcher, GivesWhatReadingOnTheSpotGives) {
    TempDir dir;
    std::vector<std::string> pages;
    for (int i = 0; i < 300; ++i)
        pages.push_back(dir.Write("p" + std::to_string(i) + ".html",
                                  i % 5 == 0 ? "no title" : "<title>T" + std::to_string(i) + "</title>"));
    for (unsigned threads : {0u, 1u, 3u}) {
        TitlePrefetcher prefetcher(true, threads);
        for (const auto& p : pages)
            prefetcher.Submit(p);
        for (size_t i = 0; i < pages.size(); ++i) {
            // Every seventh page is never asked for, as when a file goes
            // before it is reported.
            if (i % 7 == 3)
                continue;
            EXPECT_EQ(prefetcher.Take(pages[i]), GetPageTitle(pages[i], true)) << i;
        }
        // A page that was never submitted is read on the spot.
        std::string extra = dir.Write("extra.html", "<title>Extra</title>");
        EXPECT_EQ(prefetcher.Take(extra), "Extra");
    }
}

TEST(TitlePrefetcher, StopsWithWorkLeft) {
    TempDir dir;
    TitlePrefetcher prefetcher(true, 2);
    for (int i = 0; i < 1000; ++i)
        prefetcher.Submit(dir.Write("q" + std::to_string(i) + ".html", "<title>Q</title>"));
    EXPECT_EQ(prefetcher.Take(dir / "q0.html"), "Q");
    // Leaving with most pages unasked must neither hang nor crash.
}
