#include "cli/Cli.h"

#include "cli/RunTool.h"
#include "core/TestUtil.h"
#include "support/NXStrings.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using twtest::Exists;
using twtest::ReadAll;
using twtest::TempDir;

namespace {

using Result = twtest::ToolResult;
using twtest::RunTool;

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        site.Write("index.html", "<html><head><title>Welcome</title></head></html>");
        site.Write("about.html", "<TITLE>About Us</TITLE>");
        site.Write("logo.gif", "GIF89a");
        site.Write("docs/manual.htm", "<title>Manual</title>");
        site.Write("news/index.html", "<title>News</title>");
        site.Write("drafts/old.html", "<title>Old</title>");
    }
    TempDir site;
};

} // namespace

TEST_F(CliTest, GenerateWritesThePageAndTheImagesByteForByte) {
    Result r = RunTool({"generate", "--index", site / "index.html"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "5 files, 4 folders -> " + site / "sitemap.html" + "\n");
    std::string page = ReadAll(site / "sitemap.html");
    const std::string expectedBody =
        "<body bgcolor=\"#FFFFFF\"text=\"#000000\"link=\"#0000FF\"vlink=\"#800080\"alink="
        "\"#FF0000\">\r\n"
        "\r\n"
        "<p><img src=\"smfolder.gif\">&nbsp;<b class=\"mapsection\"><a "
        "href=\"index.html\">Home</a></b><br>\r\n"
        "  <img src=\"smfile.gif\">&nbsp;<a href=\"about.html\" class=\"mapitem\">About "
        "Us</a><br>\r\n"
        "  <img src=\"smfile.gif\">&nbsp;<a href=\"index.html\" "
        "class=\"mapitem\">Welcome</a>\r\n"
        "</p>\r\n"
        "<p><img src=\"smfolder.gif\">&nbsp;<b class=\"mapsection\">docs</b><br>\r\n"
        "  <img src=\"smfile.gif\">&nbsp;<a href=\"docs/manual.htm\" "
        "class=\"mapitem\">Manual</a>\r\n"
        "</p>\r\n"
        "<p><img src=\"smfolder.gif\">&nbsp;<b class=\"mapsection\">drafts</b><br>\r\n"
        "  <img src=\"smfile.gif\">&nbsp;<a href=\"drafts/old.html\" "
        "class=\"mapitem\">Old</a>\r\n"
        "</p>\r\n"
        "<p><img src=\"smfolder.gif\">&nbsp;<b class=\"mapsection\"><a "
        "href=\"news/index.html\">news</a></b><br>\r\n"
        "  <img src=\"smfile.gif\">&nbsp;<a href=\"news/index.html\" "
        "class=\"mapitem\">News</a><br>\r\n"
        "</p>\r\n";
    EXPECT_EQ(page.rfind("<!DOCTYPE HTML PUBLIC", 0), 0u);
    EXPECT_NE(page.find(expectedBody), std::string::npos) << page;
    EXPECT_TRUE(page.ends_with("</body>\r\n</html>"));
    EXPECT_EQ(page.find("\xEF\xBB\xBF"), std::string::npos);
    // Every line ends with CR LF.
    for (size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '\n') {
            ASSERT_EQ(page[i - 1], '\r') << "at " << i;
        }
    }
    for (const char* image : {"smfolder.gif", "smfile.gif", "smimg.gif"}) {
        EXPECT_EQ(ReadAll(site / image),
                  ReadAll(std::string(TW_PROGRAM_DIR) + "/smimages/" + image))
            << image;
    }
}

TEST_F(CliTest, OptionsApplyLeftToRight) {
    // A page inside the site but outside the index page's folder would link
    // nowhere: refused, nothing written. Outside the site it is written, with
    // a word on where its links lead, also under --quiet.
    TempDir copy;
    auto args = [this](const std::string& output) {
        // clang-format off
        return std::vector<std::string>{
            "generate", "--index", site / "index.html", "--output", output,
            "--format", "list", "--no-styles", "--no-images", "--images", "--no-titles",
            "--folder-links", "--no-folder-links", "--no-folder-images",
            "--file-types", "*.html;", "--ignore-folder", site / "drafts",
            "--ignore-file", site / "ABOUT.html", "--color", "background=#102030",
            "--color", "link=none", "--quiet"};
        // clang-format on
    };
    site.MakeDir("out");
    Result r = RunTool(args(site / "out/map.html"));
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.rfind("trailwright-cli: --output: " + site / "out/map.html" +
                              " is not in the index page's folder " + site.Path() + ";",
                          0),
              0u)
        << r.err;
    EXPECT_FALSE(Exists(site / "out/map.html"));

    copy.MakeDir("out");
    r = RunTool(args(copy / "out/map.html"));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "trailwright-cli: warning: the output file " + copy / "out/map.html" +
                         " is outside the site: its links are based on the index page's folder " +
                         site.Path() + " and work only where a copy of the site lies beside it\n");
    std::string page = ReadAll(copy / "out/map.html");
    EXPECT_NE(page.find("<body bgcolor=\"#102030\"text=\"#000000\"link=\"\"vlink"),
              std::string::npos);
    EXPECT_NE(page.find("\r\n<ul><b>Home</b>\r\n"
                        "  <dt>&nbsp;&nbsp;<img src=\"smfile.gif\">&nbsp;<a "
                        "href=\"index.html\">index.html</a></dt>\r\n"
                        "  <ul><b>news</b>\r\n"
                        "    <dt>&nbsp;&nbsp;<img src=\"smfile.gif\">&nbsp;<a "
                        "href=\"news/index.html\">index.html</a></dt>\r\n"
                        "  </ul>\r\n"
                        "</ul>\r\n"),
              std::string::npos)
        << page;
    EXPECT_TRUE(Exists(copy / "out/smfile.gif"));
}

TEST_F(CliTest, RelativePathsAreMadeAbsolute) {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(site.Path().c_str()), 0);
    Result r = RunTool({"generate", "--index", "./docs/../index.html", "--quiet"});
    ASSERT_EQ(chdir(cwd), 0);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Exists(site / "sitemap.html"));
}

TEST_F(CliTest, ErrorsAreReportedNotCrashed) {
    Result r = RunTool({"generate", "--index", site / "missing/index.html"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "trailwright-cli: The Index Page folder cannot be found, please enter a "
                     "valid path.\n");

    r = RunTool({"generate"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.rfind("trailwright-cli: no index page: give --index PATH", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("Usage"), std::string::npos);

    r = RunTool({"generate", "--index"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("Usage"), std::string::npos);

    r = RunTool({"generate", "--index", site / "index.html", "--format", "table"});
    EXPECT_EQ(r.code, 2);

    r = RunTool({"generate", "--index", site / "index.html", "--color", "fg=#000000"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("unknown key"), std::string::npos);

    r = RunTool({"generate", "--index", site / "index.html", "--color", "text=#12345"});
    EXPECT_EQ(r.code, 2);

    r = RunTool({"frobnicate"});
    EXPECT_EQ(r.code, 2);

    r = RunTool({});
    EXPECT_EQ(r.code, 2);
}

TEST_F(CliTest, HelpAndVersion) {
    Result r = RunTool({"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.rfind("trailwright-cli ", 0), 0u);
    r = RunTool({"generate", "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("--ignore-folder"), std::string::npos);
    EXPECT_NE(r.out.find("--no-folder-links"), std::string::npos);
}

TEST_F(CliTest, TheInstalledProgramRunsFromItsFolder) {
    std::string cmd = std::string(TW_CLI_PATH) + " generate --quiet --index '" +
                      site / "index.html" + "' --output '" + site / "map.html" + "'";
    int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(Exists(site / "map.html"));
    EXPECT_EQ(ReadAll(site / "smimg.gif"),
              ReadAll(std::string(TW_PROGRAM_DIR) + "/smimages/smimg.gif"));
    cmd = std::string(TW_CLI_PATH) + " generate --index '" + site / "nope/x.html" + "' 2>/dev/null";
    status = std::system(cmd.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST_F(CliTest, OnOffOptionsTakeNoValue) {
    const std::string index = site / "index.html";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"generate", "--index", index, "--titles=false"},
          {"generate", "--index", index, "--images=true"},
          {"generate", "--index", index, "--quiet=no"},
          {"check", "--index", index, "--json=false"},
          {"profile", "write", site / "p.zpf", "--no-folder-links=1"}}) {
        Result r = RunTool(args);
        EXPECT_EQ(r.code, 2) << args.back();
        EXPECT_NE(r.err.find("Usage"), std::string::npos) << args.back();
    }
    EXPECT_FALSE(Exists(site / "sitemap.html"));
    // What an option takes as its value is no flag.
    EXPECT_EQ(RunTool({"profile", "write", site / "p.zpf", "--file-types", "--titles=1"}).code, 0);
}

TEST_F(CliTest, AFailedRunEndsTheProgressLineBeforeItsError) {
    std::ostringstream out, err;
    site.MakeDir("map.html"); // a folder where the page should go
    int code = tw::RunCli({"trailwright-cli", "generate", "--index", site / "index.html",
                           "--output", site / "map.html"},
                          {out, err, true});
    EXPECT_EQ(code, 1);
    EXPECT_EQ(err.str().rfind("\r\033[KScanning: ", 0), 0u) << "a progress line was drawn";
    EXPECT_TRUE(err.str().ends_with(" files\ntrailwright-cli: Cannot create file " +
                                    site / "map.html" + ": Is a directory\n"))
        << err.str();
}

// What a newcomer types: each row is the options after --index and what the
// profile that profile write stores from them says, or the exit status.
TEST_F(CliTest, IndexFileTypesAndIgnoreEntriesAreReadAsMeant) {
    site.Write("bare/page.html", "<title>P</title>");
    struct Row {
        std::vector<std::string> args;
        int code;
        const char* property; // profile show's key
        std::string value;
    };
    const std::string s = site.Path();
    const std::vector<Row> rows = {
        {{"--index", s + "news"}, 0, "IndexPage", s + "news/index.html"},
        {{"--index", s + "news/"}, 0, "OutputFileName", s + "news/sitemap.html"},
        {{"--index", s + "bare"}, 2, nullptr, ""},
        {{"--index", s + "index.html", "--file-types", "*.htm;*.html"},
         0,
         "FileTypes",
         "*.htm;*.html;"},
        {{"--index", s + "index.html", "--file-types", "html, .HTM  *.php;*"},
         0,
         "FileTypes",
         "*.html;*.HTM;*.php;*;"},
        {{"--index", s + "index.html", "--file-types", " ;, "}, 2, nullptr, ""},
        // From a folder outside the site, relative entries are the site's.
        {{"--index", s + "index.html", "--ignore-folder", "drafts"},
         0,
         "IgnoreFolders",
         s + "drafts/\r\n"},
        {{"--index", s + "index.html", "--ignore-file", "docs/Manual.htm"},
         0,
         "IgnoreFiles",
         tw::AsciiLowerCase(s) + "docs/manual.htm\r\n"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {"profile", "write", site / "p.zpf"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        Result r = RunTool(args);
        ASSERT_EQ(r.code, row.code) << row.args.back() << "\n" << r.err;
        if (!row.property)
            continue;
        Result shown = RunTool({"profile", "show", site / "p.zpf"});
        EXPECT_EQ(nlohmann::json::parse(shown.out)[row.property], row.value) << row.args.back();
    }

    // A generate run warns of every entry that leaves nothing out, also
    // quietly, and counts in the singular where it counts one.
    Result r = RunTool(
        {"generate", "--index", s + "bare/page.html", "--ignore-folder", s + "x", "--quiet"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "trailwright-cli: warning: the ignore entry " + s +
                         "x/ matches no folder or file of the site " + s + "bare/\n");
    r = RunTool({"generate", "--index", s + "bare/page.html"});
    EXPECT_EQ(r.err, "1 file, 1 folder -> " + s + "bare/sitemap.html\n");
}

TEST_F(CliTest, CheckTakesNoLayoutOptions) {
    Result help = RunTool({"check", "--help"});
    for (const char* option :
         {"--output", "--styles", "--images", "--folder-images", "--folder-links", "--color"}) {
        EXPECT_EQ(help.out.find(std::string(option) + " "), std::string::npos) << option;
        EXPECT_EQ(RunTool({"check", "--index", site / "index.html", option}).code, 2) << option;
    }
}

// A site's files must not turn a run's writes against the site or the user:
// each row is a run that must write nothing, or only what the row allows.
TEST_F(CliTest, NoOutputLeavesTheSiteOrReplacesWhatItMustNot) {
    TempDir outside;
    const std::string victim = outside.Write("victim.txt", "keep me");
    const std::string s = site.Path();
    const std::string xml = "--xml-sitemap=https://example.org/";
    struct Row {
        const char* link;   // a link planted in the site, to the victim
        const char* target; // its target when not the victim ("" none)
        std::vector<std::string> args;
        int code;
    };
    const Row rows[] = {
        {nullptr, nullptr, {"--output", s + "index.html"}, 2},
        {nullptr, nullptr, {"--output", s + "index.html", "--overwrite"}, 2},
        {nullptr, nullptr, {"--output", s + "about.html"}, 2},
        {nullptr, nullptr, {xml, "--xml-output", s + "robots.txt"}, 2},
        {nullptr, nullptr, {xml, "--text-sitemap", s + "robots.txt", "--robots-txt"}, 2},
        {nullptr, nullptr, {xml, "--text-sitemap", s + "sitemap.html", "--overwrite"}, 2},
        {"sitemap.html", nullptr, {}, 1},
        {"sitemap.html", "", {}, 1},
        {"sitemap.xml", nullptr, {xml}, 1},
        {"robots.txt", nullptr, {xml, "--robots-txt"}, 1},
        {"maps", "dir", {xml, "--xml-output", s + "maps/sitemap.xml"}, 1},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {"generate", "--index", s + "index.html", "--quiet"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const std::string robots = site.Write("robots.txt", "User-agent: *\nDisallow: /drafts/\n");
        std::string planted;
        if (row.link) {
            planted = s + row.link;
            std::filesystem::remove(planted);
            std::string to = !row.target                        ? victim
                             : std::string(row.target) == "dir" ? outside.Path()
                                                                : outside / "nowhere";
            std::filesystem::create_symlink(to, planted);
        }
        Result r = RunTool(args);
        EXPECT_EQ(r.code, row.code) << args.back() << "\n" << r.err;
        EXPECT_EQ(ReadAll(victim), "keep me") << args.back();
        EXPECT_EQ(ReadAll(s + "index.html"), "<html><head><title>Welcome</title></head></html>");
        EXPECT_EQ(ReadAll(s + "about.html"), "<TITLE>About Us</TITLE>");
        if (planted != robots) {
            EXPECT_EQ(ReadAll(robots), "User-agent: *\nDisallow: /drafts/\n");
        }
        EXPECT_FALSE(Exists(outside / "sitemap.xml"));
        if (!planted.empty())
            std::filesystem::remove(planted);
    }
    // --overwrite unlocks a page of the site, and nothing else.
    Result r = RunTool({"generate", "--index", s + "index.html", "--output", s + "about.html",
                        "--overwrite", "--quiet"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(ReadAll(s + "about.html").find("::: Made with Zephyrix :"), std::string::npos);
}

TEST_F(CliTest, LinkTextOptions) {
    site.Write("about.html", "<title>About Us &#8212; Acme</title>");
    site.Write("news/index.html", "<title>News — Acme</title>");
    site.Write("drafts/old.html", "<title>Old | Acme</title>");
    Result r = RunTool({"generate", "--index", site / "index.html", "--trim-titles", "auto",
                        "--folder-titles", "--sort", "name", "--ignore-folder", site / "docs"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("\nTitles: \"Acme\" cut at their end\n"), std::string::npos) << r.err;
    std::string page = ReadAll(site / "sitemap.html");
    for (const char* text : {">About Us<", ">News<", ">Welcome<"})
        EXPECT_NE(page.find(text), std::string::npos) << text;
    EXPECT_LT(page.find(">About Us<"), page.find(">Welcome<")) << "sorted by name";
    for (std::vector<std::string> bad : {std::vector<std::string>{"generate", "--sort", "size"},
                                         {"generate", "--trim-titles", ""},
                                         {"check", "--sort", "name"},
                                         {"check", "--folder-titles"}}) {
        bad.insert(bad.begin() + 1, {"--index", site / "index.html"});
        EXPECT_EQ(RunTool(bad).code, 2) << bad.back();
    }
}
