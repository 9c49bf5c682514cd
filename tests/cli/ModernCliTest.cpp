#include "cli/RunTool.h"
#include "core/TestUtil.h"

#include <gtest/gtest.h>

using twtest::Exists;
using twtest::ReadAll;
using twtest::RunTool;
using twtest::TempDir;

namespace {

std::vector<std::string> Join(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

class ModernCliTest : public ::testing::Test {
protected:
    void SetUp() override { site.Write("index.html", "<html lang=\"de\"><title>Start</title>"); }
    std::vector<std::string> With(const std::vector<std::string>& extra) const {
        return Join({"generate", "--quiet", "--index", site / "index.html"}, extra);
    }
    TempDir site;
};

} // namespace

TEST_F(ModernCliTest, ModernOptionsWithAClassicLayoutAreUsageErrors) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--lang", "de"}, "--lang requires --format modern"},
        {{"--page-title", "X"}, "--page-title requires --format modern"},
        {{"--format", "modern", "--collapsible", "--format", "list"},
         "--collapsible requires --format modern"},
        {{"--no-filter-box"}, "--no-filter-box requires --format modern"},
        {{"--format", "paragraph", "--no-credit"}, "--no-credit requires --format modern"},
        {{"--format", "modern", "--lang", "en_US"}, "\"en_US\" is not a well-formed language tag"},
    };
    for (const auto& [extra, message] : cases) {
        twtest::ToolResult r = RunTool(With(extra));
        EXPECT_EQ(r.code, 2) << message;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_EQ(RunTool(Join({"profile", "write", site / "p.zpf"}, extra)).code, 2) << message;
    }
    EXPECT_FALSE(Exists(site / "sitemap.html") || Exists(site / "p.zpf"));
}

TEST_F(ModernCliTest, AProfileKeepsTheModernSettings) {
    // The index page's own language, read from the disk; no item images.
    ASSERT_EQ(RunTool(With({"--format", "modern"})).code, 0);
    EXPECT_TRUE(ReadAll(site / "sitemap.html").starts_with("<!DOCTYPE html>\n<html lang=\"de\">"));
    EXPECT_FALSE(Exists(site / "smfile.gif"));
    const std::vector<std::string> options = {
        "--format", "modern",        "--lang",       "nl",         "--page-title",
        "Kaart",    "--collapsible", "--filter-box", "--no-credit"};
    ASSERT_EQ(RunTool(Join({"profile", "write", site / "m.zpf"}, options)).code, 0);
    twtest::ToolResult show = RunTool({"profile", "show", site / "m.zpf"});
    EXPECT_NE(show.out.find("\"OutputFormat\": \"mfmtParagraph\""), std::string::npos);
    EXPECT_NE(
        show.out.find("\"UsePageTitles\": true,\n  \"PageLayout\": \"mlayModern\",\n  "
                      "\"PageLang\": \"nl\",\n  \"PageTitle\": \"Kaart\",\n  "
                      "\"Collapsible\": true,\n  \"FilterBox\": true,\n  \"NoCredit\": true\n}"),
        std::string::npos)
        << show.out;

    // The profile gives the page the options give.
    ASSERT_EQ(RunTool(With(options)).code, 0);
    const std::string fromOptions = ReadAll(site / "sitemap.html");
    EXPECT_NE(fromOptions.find("<html lang=\"nl\">"), std::string::npos);
    ASSERT_EQ(RunTool(With({"--profile", site / "m.zpf"})).code, 0);
    EXPECT_EQ(ReadAll(site / "sitemap.html"), fromOptions);
}
