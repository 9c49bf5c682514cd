#include "cli/Cli.h"
#include "cli/RunTool.h"
#include "core/TestUtil.h"

#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/stat.h>

using twtest::Exists;
using twtest::TempDir;

namespace {

using Result = twtest::ToolResult;

// About the link findings.
Result RunTool(std::vector<std::string> args) {
    return twtest::RunLinkTool(std::move(args));
}

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
                   "source": "attribute", "line": 3, "reason": "missing", "fails": true, "known": false},
                  {"page": "index.html", "link": "pics/", "tag": "a", "attribute": "href",
                   "source": "attribute", "line": 3, "reason": "noDefaultPage", "fails": true, "known": false}])"));
    EXPECT_EQ(json["orphanPages"], nlohmann::json::parse(R"([
                  {"page": "bad\u001b[2J.html", "fails": true, "known": false},
                  {"page": "caf\ufffd.html", "pageBytes": "caf%E9.html", "fails": true, "known": false},
                  {"page": "docs/index.html", "fails": true, "known": false}])"));
    EXPECT_EQ(json["titleProblems"], nlohmann::json::parse(R"([
                  {"kind": "duplicate", "pages": ["about.html", "docs/index.html"], "title": "Docs",
                   "fails": true, "known": false},
                  {"kind": "duplicate", "pages": ["bad\u001b[2J.html", "index.html"],
                   "title": "Home", "fails": true, "known": false}])"));
    // A folder that a link names wants a default page, ignored or not.
    EXPECT_EQ(json["foldersWithoutDefaultPage"],
              nlohmann::json::parse(R"([{"folder": "pics/", "fails": true, "known": false}])"));
    EXPECT_EQ(json["notes"], nlohmann::json::array());
    EXPECT_EQ(json["summary"], nlohmann::json::parse(R"({"pages": 5, "localLinks": 3,
        "deadLinks": 2, "orphanPages": 3, "titleProblems": 2, "foldersWithoutDefaultPage": 1,
        "notes": 0, "unreadableFolders": 0, "pageQuality": 0, "problems": 8, "known": 0})"));
}

TEST_F(CheckCliTest, ErrorsOfTheRunExitOneAndUsageErrorsTwo) {
    Result r = RunTool({"check", "--index", site / "nowhere/index.html", "--json"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "trailwright-cli: The Index Page folder cannot be found, please enter a "
                     "valid path.\n");

    r = RunTool({"check", "--index", site / "home.html"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("trailwright-cli: the index page " + site / "home.html" +
                              " does not exist: the site map's link to it would not work\n",
                          0),
              0u)
        << r.err;

    r = RunTool({"check", "--index", site / "index.html", "--no-such-option"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("--no-such-option"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--json"), std::string::npos) << "the check command's usage follows";

    r = RunTool({"check", "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("--ignore-folder"), std::string::npos) << r.out;
}

TEST_F(CheckCliTest, EveryFormatReportsTheFindings) {
    site.Write("index.html",
               "<title>Home</title>\n<a href=\"about.html\">A</a> <a href=\"docs/\">D</a>"
               "\n<a href=\"gone.html\">G</a>");
    const std::vector<std::pair<std::string, std::string>> formats = {
        {"text", "Dead links: 1\n  index.html:3: <a href=\"gone.html\">\n3 pages, 3 local links "
                 "checked. 1 problem: 1 dead link.\n"},
        {"json", "\"link\": \"gone.html\""},
        {"junit",
         "<testcase name=\"index.html\" classname=\"page\">\n      <failure message=\"Dead "
         "link: &lt;a href=&quot;gone.html&quot;&gt;\" type=\"deadLink\">"},
        {"sarif", "\"uri\": \"index.html\""},
        {"sarif", "\"startLine\": 3"},
        {"github", "::error file=index.html,line=3,title=Dead link::Dead link: <a "
                   "href=\"gone.html\">\n"},
        {"markdown", "| index.html | 3 | Dead link\\: \\<a href=\"gone.html\"\\> |\n"},
        {"html", "/index.html\">index.html</a></td><td class=\"num\">3</td>"},
    };
    for (const auto& [format, expected] : formats) {
        Result r = RunTool({"check", "--index", site / "index.html", "--format", format,
                            "--path-base", site.Path()});
        EXPECT_EQ(r.code, 3) << format;
        EXPECT_NE(r.out.find(expected), std::string::npos) << r.out;
    }
    // Paths for CI services are relative to --path-base, else to the current folder.
    Result r = RunTool({"check", "--index", site / "index.html", "--format", "github",
                        "--path-base", site / "docs/deep"});
    EXPECT_EQ(r.out.rfind("::error file=../../index.html,line=3,", 0), 0u) << r.out;
}

TEST_F(CheckCliTest, ABaselineKnowsTheFindingsOfAnEarlierRun) {
    site.Write("index.html",
               "<title>Home</title>\n<a href=\"about.html\">A</a> <a href=\"docs/\">D</a>"
               "\n<a href=\"gone.html\">G</a>");
    TempDir reports;
    const std::string baseline = reports.Write(
        "base.json", RunTool({"check", "--index", site / "index.html", "--json"}).out);
    Result r = RunTool({"check", "--index", site / "index.html", "--baseline", baseline});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("  index.html:3: <a href=\"gone.html\"> (known)\n"), std::string::npos);
    EXPECT_NE(r.out.find("1 problem: 1 dead link; 1 known.\n"), std::string::npos) << r.out;
    r = RunTool({"check", "--index", site / "index.html", "--baseline", baseline, "--quiet"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");

    // A new fault fails the check again, and only it is new.
    site.Write("about.html", "<title>About</title>\n\n<img src=\"lost.png\">");
    r = RunTool({"check", "--index", site / "index.html", "--baseline", baseline, "--format",
                 "sarif", "--path-base", site.Path()});
    EXPECT_EQ(r.code, 3);
    std::map<std::string, std::string> states;
    const auto sarif = nlohmann::json::parse(r.out);
    for (const auto& result : sarif["runs"][0]["results"])
        states[result["locations"][0]["physicalLocation"]["artifactLocation"]["uri"]] =
            result["baselineState"];
    EXPECT_EQ(states, (std::map<std::string, std::string>{{"about.html", "new"},
                                                          {"index.html", "unchanged"}}));

    for (const auto& [file, message] : std::vector<std::pair<std::string, std::string>>{
             {reports / "none.json", "Cannot read the baseline " + reports / "none.json"},
             {site / "about.html", "The baseline " + site / "about.html" + " is not JSON"}}) {
        r = RunTool({"check", "--index", site / "index.html", "--baseline", file});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err.rfind("trailwright-cli: " + message, 0), 0u) << r.err;
    }
}

TEST_F(CheckCliTest, NoLineOutsideGithubsFormatIsARunnerCommand) {
    const std::string index = site / "index.html";
    const std::vector<std::vector<std::string>> runs = {
        {"check", "--index", index, "--baseline", site / "##[add-mask]base.json"},
        {"profile", "show", site / "p.zpf"}};
    ASSERT_EQ(
        RunTool({"profile", "write", site / "p.zpf", "--ignore-file", site / "##[add-mask]y"}).code,
        0);
    for (const auto& run : runs) {
        Result r = RunTool(run);
        std::istringstream lines(r.out + r.err);
        for (std::string line; std::getline(lines, line);) {
            line.erase(0, line.find_first_not_of(' '));
            EXPECT_FALSE(line.starts_with("::")) << run.back() << ": " << line;
            EXPECT_EQ(line.find("##["), std::string::npos) << run.back() << ": " << line;
        }
    }
}

TEST_F(CheckCliTest, LinksThatAPatternFindsAreLeftUnchecked) {
    site.Write("index.html",
               "<title>Home</title><a href=\"about.html\">A</a> <a href=\"docs/\">D</a>"
               "<a href=\"gone.html\">G</a><img src=\"x/scan.PDF\">");
    Result r = RunTool({"check", "--index", site / "index.html", "--ignore-url", "^gone\\.",
                        "--ignore-url", "\\.pdf$|\\.PDF$"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "3 pages, 2 local links checked. No problems found.\n");
}

TEST_F(CheckCliTest, CheckTakesItsOwnFormatsOnly) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--format", "list"},
                                                 {"--format", "paragraph"},
                                                 {"--format", "xml"},
                                                 {"--color", "text=none"},
                                                 {"--json", "--format", "sarif"},
                                                 {"--ignore-url", "a("}}) {
        std::vector<std::string> line = {"check", "--index", site / "index.html"};
        line.insert(line.end(), args.begin(), args.end());
        Result r = RunTool(line);
        EXPECT_EQ(r.code, 2) << args[1];
        EXPECT_NE(r.err.find(args[0]), std::string::npos) << r.err;
    }
    EXPECT_EQ(RunTool({"generate", "--index", site / "index.html", "--format", "list"}).code, 0);
}

TEST_F(CheckCliTest, AnUnreadableFolderIsWarnedOfAndFailsTheCheck) {
    site.Write("index.html", "<title>Home</title>\n<a href=\"about.html\">About</a>\n"
                             "<a href=\"docs/\">Docs</a> <a href=\"docs/more.html\">More</a>");
    chmod((site / "docs").c_str(), 0);
    twtest::PermissionsHold hold;
    Result r = RunTool({"check", "--index", site / "index.html"});
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.out, "Unreadable folders: 1\n  docs/: folder could not be read\n2 pages, 3 local "
                     "links checked. 1 problem: 1 unreadable folder.\n");
    EXPECT_EQ(r.err, "trailwright-cli: warning: the folder " + site / "docs/" +
                         " could not be read (Permission denied): its files are left out\n");
}
