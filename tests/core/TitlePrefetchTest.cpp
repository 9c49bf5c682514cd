#include "scan/TitlePrefetch.h"

#include "core/TestUtil.h"
#include "support/FileDescriptor.h"

#include <fcntl.h>
#include <gtest/gtest.h>

using namespace tw;
using twtest::TempDir;

namespace {

std::string Text(const PageLinkText& t) {
    return (t.FromTitle ? "T:" : "N:") + t.Text;
}

} // namespace

// Whatever the number of workers and wherever the two ends meet, every page
// gets the link text a plain read gives, in the caller's order; a page not
// named to Begin is read on its own, and a folder ended half-way leaves
// nothing behind for the next.
TEST(TitlePrefetch, TextsDoNotDependOnTheWorkers) {
    TempDir site;
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i) {
        names.push_back("p" + std::to_string(i) + ".html");
        site.Write(names.back(),
                   i % 7 == 3 ? "no title" : "<title>T" + std::to_string(i) + "</title>");
    }
    site.Write("extra.html", "<title>Extra</title>");
    UniqueFd dir(open(site.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_TRUE(dir.Valid());
    std::vector<std::string> plain;
    for (const std::string& n : names)
        plain.push_back(Text(ReadPageLinkTextAt(dir.Get(), n)));
    ASSERT_EQ(plain[1], "T:T1");
    ASSERT_EQ(plain[3], "N:p3.html");

    for (unsigned workers : {0u, 1u, 3u}) {
        TitlePrefetch prefetch(workers);
        for (size_t count : {size_t{0}, size_t{1}, size_t{2}, size_t{3}, size_t{40}}) {
            SCOPED_TRACE(testing::Message() << workers << " workers, " << count << " pages");
            std::vector<std::string> named(names.begin(), names.begin() + static_cast<long>(count));
            prefetch.Begin(dir.Get(), named);
            for (size_t i = 0; i < count; ++i) {
                if (i == count / 2) {
                    EXPECT_EQ(Text(prefetch.Take("extra.html")), "T:Extra");
                }
                EXPECT_EQ(Text(prefetch.Take(names[i])), plain[i]);
            }
            prefetch.End();
        }
        // Ended after a few pages; the next folder starts clean.
        prefetch.Begin(dir.Get(), names);
        EXPECT_EQ(Text(prefetch.Take(names[0])), plain[0]);
        prefetch.End();
        prefetch.Begin(dir.Get(), {names[5], names[6]});
        EXPECT_EQ(Text(prefetch.Take(names[5])), plain[5]);
        EXPECT_EQ(Text(prefetch.Take(names[6])), plain[6]);
    }
}
