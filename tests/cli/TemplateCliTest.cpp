#include "cli/RunTool.h"
#include "core/TestUtil.h"
#include "output/PageTemplate.h"

#include <filesystem>
#include <gtest/gtest.h>

using twtest::Exists;
using twtest::ReadAll;
using twtest::RunTool;
using twtest::TempDir;

TEST(TemplateCli, AFaultyTemplateIsAUsageErrorAndNothingIsWritten) {
    TempDir site;
    const std::string index = site.Write("index.html", "<title>Start</title>");
    const std::string marker(tw::kTemplateMarker);
    site.Write("none.html", "<head></head><body>");
    site.Write("big.html", "<head></head>" + marker);
    std::filesystem::resize_file(site / "big.html", tw::kTemplateMaxBytes + 1);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--format", "modern", "--template", site / "missing.html"}, "Cannot open the template"},
        {{"--format", "modern", "--template", site.Path()}, "Is a directory"},
        {{"--format", "modern", "--template", site / "big.html"}, "larger than 16 MB"},
        {{"--format", "modern", "--template", site / "none.html"}, "holds no"},
        {{"--template", site / "none.html"}, "--template requires --format modern"},
        {{"--format", "modern", "--no-template", "--format", "list"},
         "--no-template requires --format modern"},
    };
    for (const auto& [extra, message] : cases) {
        std::vector<std::string> args = {"generate", "--quiet",       "--index",
                                         index,      "--xml-sitemap", "https://example.org/"};
        args.insert(args.end(), extra.begin(), extra.end());
        twtest::ToolResult r = RunTool(args);
        EXPECT_EQ(r.code, 2) << message;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(Exists(site / "sitemap.html") || Exists(site / "sitemap.xml"));
}

TEST(TemplateCli, AProfileKeepsTheTemplateAndTheNextRunKnowsItsPage) {
    TempDir site;
    const std::string index = site.Write("index.html", "<title>Start</title>");
    const std::string filler(20000, ' '); // past the edges the guard reads first
    const std::string page =
        site.Write("theme/page.html",
                   "<head>" + filler + "</head>" + std::string(tw::kTemplateMarker) + filler);
    ASSERT_EQ(RunTool({"profile", "write", site / "t.zpf", "--index", index, "--format", "modern",
                       "--template", page})
                  .code,
              0);
    EXPECT_NE(RunTool({"profile", "show", site / "t.zpf"}).out.find("\"PageTemplate\": \"" + page),
              std::string::npos);
    for (int run = 0; run < 2; ++run)
        EXPECT_EQ(RunTool({"generate", "--quiet", "--profile", site / "t.zpf"}).code, 0) << run;
    // The template is no page of the map, though it lies in the site.
    EXPECT_EQ(ReadAll(site / "sitemap.html").find("page.html"), std::string::npos);
    ASSERT_EQ(
        RunTool({"profile", "write", site / "u.zpf", "--profile", site / "t.zpf", "--no-template"})
            .code,
        0);
    EXPECT_EQ(RunTool({"profile", "show", site / "u.zpf"}).out.find("PageTemplate"),
              std::string::npos);
}
