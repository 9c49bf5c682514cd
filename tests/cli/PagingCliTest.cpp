#include "cli/RunTool.h"
#include "core/TestUtil.h"

#include <gtest/gtest.h>

using twtest::Exists;
using twtest::ReadAll;
using twtest::RunTool;
using twtest::TempDir;

namespace {

class PagingCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        site.Write("index.html", "<title>Start</title>");
        for (int i = 1; i <= 5; ++i)
            site.Write("p" + std::to_string(i) + ".html");
        site.Write("sub/index.html");
    }
    std::vector<std::string> Generate(std::vector<std::string> extra, bool quiet = true) const {
        extra.insert(extra.begin(),
                     {"generate", "--index", site / "index.html", quiet ? "--quiet" : "--titles"});
        return extra;
    }
    TempDir site;
};

} // namespace

TEST_F(PagingCliTest, MaxLinksIsAModernCountAndNothingElse) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--max-links", "5"}, "--max-links requires --format modern"},
        {{"--format", "list", "--no-max-links"}, "--no-max-links requires --format modern"},
        {{"--format", "modern", "--max-links", "x"}, "--max-links: expected a number"},
        {{"--format", "modern", "--max-links", "-1"}, "--max-links"},
        {{"--format", "modern", "--max-links", "2147483648"}, "--max-links: expected a number"},
    };
    for (const auto& [extra, message] : cases) {
        twtest::ToolResult r = RunTool(Generate(extra));
        EXPECT_EQ(r.code, 2) << message;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(Exists(site / "sitemap.html"));
}

TEST_F(PagingCliTest, AProfileKeepsMaxLinksOnlyWhenSet) {
    for (const char* links : {"0", "3"}) {
        std::vector<std::string> args = {"profile", "write",       site / "p.zpf", "--format",
                                         "modern",  "--max-links", links};
        ASSERT_EQ(RunTool(args).code, 0);
        const std::string show = RunTool({"profile", "show", site / "p.zpf"}).out;
        EXPECT_EQ(show.find("\"MaxLinks\": 3") != std::string::npos, links[0] == '3') << show;
    }
    // The profile pages; --no-max-links after it writes one page and names the older ones.
    ASSERT_EQ(RunTool(Generate({"--profile", site / "p.zpf"})).code, 0);
    twtest::ToolResult r = RunTool(Generate({"--profile", site / "p.zpf", "--no-max-links"}));
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(ReadAll(site / "sitemap.html").find("Pages of the site map"), std::string::npos);
    EXPECT_NE(r.err.find(site / "sitemap-2.html is a page of an earlier"), std::string::npos);
}

TEST_F(PagingCliTest, EveryPageIsReportedAndOlderOnesNamed) {
    twtest::ToolResult r = RunTool(Generate({"--format", "modern", "--max-links", "2"}, false));
    ASSERT_EQ(r.code, 0) << r.err;
    // Nine links: the site's folder and sub's name link to pages too; sub
    // (two links) does not fit beside p5.
    const char* counts[] = {"2 links", "2 links", "2 links", "1 link", "2 links"};
    for (int k = 1; k <= 5; ++k)
        EXPECT_NE(r.err.find("Page " + std::to_string(k) + " of 5: " + counts[k - 1] + " -> " +
                             (k == 1 ? site / "sitemap.html"
                                     : site / ("sitemap-" + std::to_string(k) + ".html"))),
                  std::string::npos);
    // A page the parts would replace that no run of ours wrote is refused,
    // before anything is written.
    site.Write("sitemap-6.html", "<title>Mine</title>");
    const std::string first = ReadAll(site / "sitemap.html");
    r = RunTool(Generate({"--format", "modern", "--max-links", "1"}));
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find(site / "sitemap-6.html is a page of the site"), std::string::npos)
        << r.err;
    EXPECT_EQ(ReadAll(site / "sitemap.html"), first);

    // Fewer parts: the rest of ours are named, the user's page is not.
    r = RunTool(Generate({"--format", "modern", "--max-links", "4"}));
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string older = " is a page of an earlier, longer site map that this run did not "
                              "write; delete it unless it is still linked\n";
    const std::string warning = "trailwright-cli: warning: ";
    EXPECT_EQ(r.err, warning + site / "sitemap-4.html" + older + warning + site / "sitemap-5.html" +
                         older);
    EXPECT_TRUE(Exists(site / "sitemap-5.html"));
}
