#include "cli/Cli.h"
#include "cli/RunTool.h"
#include "core/TestUtil.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

using twtest::Exists;
using twtest::TempDir;

namespace {

using Result = twtest::ToolResult;
using twtest::RunTool;

class CheckCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        site.Write("index.html", "<title>Home</title>\n<a href=\"about.html\">About</a>\n"
                                 "<a href=\"docs/\">Docs</a>");
        site.Write("about.html", "<title>About</title>");
        site.Write("docs/index.html", "<title>Docs</title>");
    }
    TempDir site;
};

} // namespace

TEST_F(CheckCliTest, ACleanSiteExitsZeroAndWritesNothing) {
    Result r = RunTool({"check", "--index", site / "index.html"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "3 pages, 2 local links checked. No problems found.\n");
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(Exists(site / "sitemap.html"));
    EXPECT_FALSE(Exists(site / "smfolder.gif"));

    r = RunTool({"check", "--quiet", "--index", site / "index.html"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(CheckCliTest, ProblemsPrintOneLinePerFindingAndExitThree) {
    site.Write("index.html", "<title>Home</title>\n<a href=\"about.html\">About</a>\n"
                             "<a href=\"gone.html\">Gone</a> <a href=\"pics/\">Pictures</a>");
    site.Write("about.html", "<title>Docs</title>");
    site.Write("stray.html", "<p>no title");
    site.Write("pics/a.html", "<title>   </title><a href=\"../index.html\">home</a>");
    site.Write("bad\x1b[2J.html", "<title>Home</title>");

    Result r = RunTool({"check", "--index", site / "index.html", "--quiet"});
    EXPECT_EQ(r.code, 3) << r.err;
    EXPECT_EQ(r.out, "Dead links: 2\n"
                     "  index.html:3: <a href=\"gone.html\">\n"
                     "  index.html:3: <a href=\"pics/\"> (folder without a default page)\n"
                     "Orphan pages: 4\n"
                     "  bad?[2J.html\n"
                     "  docs/index.html\n"
                     "  pics/a.html\n"
                     "  stray.html\n"
                     "Title problems: 4\n"
                     "  missing title: stray.html\n"
                     "  empty title: pics/a.html\n"
                     "  duplicate title \"Docs\": about.html, docs/index.html\n"
                     "  duplicate title \"Home\": bad?[2J.html, index.html\n"
                     "Folders without a default page: 1\n"
                     "  pics/\n"
                     "6 pages, 4 local links checked. 11 problems: 2 dead links, 4 orphan "
                     "pages, 4 title problems, 1 folder without a default page.\n");

    // The same report as JSON; a name that is not UTF-8 does not break it.
    site.Write("caf\xE9.html", "<title>Cafe</title>");
    r = RunTool({"check", "--index", site / "index.html", "--json", "--ignore-folder",
                 site / "pics", "--ignore-file", site / "stray.html"});
    EXPECT_EQ(r.code, 3) << r.err;
    nlohmann::json json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["deadLinks"], nlohmann::json::parse(R"([
                  {"page": "index.html", "link": "gone.html", "tag": "a", "attribute": "href",
                   "line": 3, "reason": "missing"},
                  {"page": "index.html", "link": "pics/", "tag": "a", "attribute": "href",
                   "line": 3, "reason": "noDefaultPage"}])"));
    EXPECT_EQ(json["orphanPages"], nlohmann::json::parse(R"(["bad\u001b[2J.html",
                                                             "caf\ufffd.html",
                                                             "docs/index.html"])"));
    EXPECT_EQ(json["titleProblems"], nlohmann::json::parse(R"([
                  {"kind": "duplicate", "pages": ["about.html", "docs/index.html"], "title": "Docs"},
                  {"kind": "duplicate", "pages": ["bad\u001b[2J.html", "index.html"],
                   "title": "Home"}])"));
    EXPECT_EQ(json["foldersWithoutDefaultPage"], nlohmann::json::array());
    EXPECT_EQ(json["notes"], nlohmann::json::array());
    EXPECT_EQ(json["summary"], nlohmann::json::parse(R"({"pages": 5, "localLinks": 3,
        "deadLinks": 2, "orphanPages": 3, "titleProblems": 2, "foldersWithoutDefaultPage": 0,
        "notes": 0, "problems": 7})"));
}

TEST_F(CheckCliTest, ErrorsOfTheRunExitOneAndUsageErrorsTwo) {
    Result r = RunTool({"check", "--index", site / "nowhere/index.html", "--json"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "trailwright-cli: The Index Page folder cannot be found, please enter a "
                     "valid path.\n");

    r = RunTool({"check", "--index", site / "home.html"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "trailwright-cli: Cannot open file " + site / "home.html" + "\n");

    r = RunTool({"check", "--index", site / "index.html", "--no-such-option"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("--no-such-option"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--json"), std::string::npos) << "the check command's usage follows";

    r = RunTool({"check", "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("--ignore-folder"), std::string::npos) << r.out;
}
