#include "cli/Cli.h"
#include "cli/RunTool.h"
#include "core/TestUtil.h"
#include "persist/ProfileFiles.h"
#include "persist/StreamSamples.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <unistd.h>

using namespace tw;
using twtest::Header;
using twtest::ReadAll;
using twtest::TempDir;

namespace {

using CliRun = twtest::ToolResult;
CliRun Cli(std::vector<std::string> args) {
    return twtest::RunTool(std::move(args));
}

// Runs the test body in Folder and returns to the previous folder afterwards.
class InFolder {
public:
    explicit InFolder(const std::string& folder) : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InFolder() { std::filesystem::current_path(old_); }

private:
    std::filesystem::path old_;
};

TMapProfile Load(const std::string& fileName) {
    TMapProfile p;
    LoadProfile(p, fileName);
    return p;
}

} // namespace

TEST(ProfileCli, WriteWithoutOptionsGivesTheStartupProfile) {
    TempDir dir;
    InFolder in(dir.Path());
    CliRun r = Cli({"profile", "write", "site.zpf"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    std::string absolute = std::filesystem::current_path().string() + "/site.zpf";
    EXPECT_EQ(ReadAll(dir / "site.zpf"), twtest::StartupProfileBytes(absolute));
}

TEST(ProfileCli, WriteAppliesTheOptionsAndKeepsModified) {
    TempDir dir;
    CliRun r = Cli({"profile", "write", dir / "opt.zpf", "--index", dir / "site/index.html",
                    "--no-titles", "--format", "list", "--color", "link=#00FF00", "--color",
                    "background=none", "--ignore-folder", dir / "site/old", "--no-folder-links"});
    ASSERT_EQ(r.code, 0) << r.err;
    TMapProfile p = Load(dir / "opt.zpf");
    EXPECT_EQ(p.FileName(), dir / "opt.zpf");
    EXPECT_EQ(p.IndexPage(), dir / "site/index.html");
    EXPECT_EQ(p.OutputFileName(), dir / "site/sitemap.html");
    EXPECT_FALSE(p.UsePageTitles());
    EXPECT_EQ(p.OutputFormat(), TMapOutputFormat::mfmtList);
    EXPECT_EQ(p.clrLink(), 0x0000FF00);
    EXPECT_EQ(p.clrBackground(), kColorNone);
    EXPECT_EQ(p.IgnoreFolders(), dir / "site/old/\r\n");
    EXPECT_TRUE(p.NoFolderLinks());
    EXPECT_TRUE(p.AddImages());
    // The options marked the profile; the file keeps that flag.
    std::string bytes = ReadAll(dir / "opt.zpf");
    EXPECT_NE(bytes.find(twtest::Bytes().Bool("Modified", true).Data()), std::string::npos);
}

TEST(ProfileCli, ProfileIsReadBeforeTheOptionsAndApplied) {
    TempDir dir;
    TMapProfile in;
    in.SetFileName(dir / "elsewhere.zpf");
    in.SetIndexPage(dir / "site/index.html");
    in.SetIgnoreFolders(dir / "site/a/"); // a list may lack its last line break
    in.SetIgnoreFiles("/x.html");
    in.SetOutputType(TMapOutputType::moutInsert);
    in.SetOutputFormat(TMapOutputFormat::mfmtList);
    WriteProfile(in);

    CliRun r = Cli({"profile", "write", dir / "out.zpf", "--ignore-folder", dir / "site/b",
                    "--profile", dir / "elsewhere.zpf", "--ignore-file", "/Y.html"});
    ASSERT_EQ(r.code, 0) << r.err;
    TMapProfile p = Load(dir / "out.zpf");
    EXPECT_EQ(p.FileName(), dir / "out.zpf");
    EXPECT_EQ(p.IgnoreFolders(), dir / "site/a/\r\n" + dir / "site/b/\r\n");
    EXPECT_EQ(p.IgnoreFiles(), "/x.html\r\n/y.html\r\n");
    EXPECT_EQ(p.OutputType(), TMapOutputType::moutFile);
    EXPECT_EQ(p.OutputFormat(), TMapOutputFormat::mfmtList);
    // The index page field proposes the output file while the profile has none.
    EXPECT_EQ(p.OutputFileName(), dir / "site/sitemap.html");

    // Without options the applied profile is written unmodified.
    in.SetOutputType(TMapOutputType::moutClipboard);
    in.SetOutputFileName("/somewhere/map.html");
    WriteProfile(in);
    r = Cli({"profile", "write", dir / "plain.zpf", "--profile", dir / "elsewhere.zpf"});
    ASSERT_EQ(r.code, 0) << r.err;
    std::string bytes = ReadAll(dir / "plain.zpf");
    EXPECT_NE(bytes.find(twtest::Bytes().Bool("Modified", false).Data()), std::string::npos);
    p = Load(dir / "plain.zpf");
    EXPECT_EQ(p.OutputType(), TMapOutputType::moutFile);
    EXPECT_EQ(p.OutputFileName(), "/somewhere/map.html");

    // The editor output is shown as it is.
    in.SetOutputType(TMapOutputType::moutEditor);
    WriteProfile(in);
    ASSERT_EQ(Cli({"profile", "write", dir / "ed.zpf", "--profile", dir / "elsewhere.zpf"}).code,
              0);
    EXPECT_EQ(Load(dir / "ed.zpf").OutputType(), TMapOutputType::moutEditor);
}

TEST(ProfileCli, ProfileOptionErrors) {
    TempDir dir;
    CliRun r = Cli({"profile", "write", dir / "out.zpf", "--profile", dir / "none.zpf"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "trailwright-cli: Cannot open file " + dir / "none.zpf" +
                         ": No such file or directory\n");
    EXPECT_FALSE(twtest::Exists(dir / "out.zpf"));

    r = Cli({"generate", "--profile", "a.zpf", "--profile", "b.zpf"});
    EXPECT_EQ(r.code, 2);

    r = Cli({"profile", "write"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("FILE"), std::string::npos);

    r = Cli({"profile", "write", dir / "no/folder/x.zpf"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "trailwright-cli: Cannot create file " + dir / "no/folder/x.zpf" +
                         ": No such file or directory\n");
}

TEST(ProfileCli, ShowPrintsTheProfileAsJson) {
    TempDir dir;
    std::string file = dir.Write("a.zpf", Header()
                                              .Str("FileName", "/p/a.zpf")
                                              .Value("clrText", {2, 0xFF})
                                              .Ident("OutputType", "moutInsert")
                                              .Bool("Untitled", false)
                                              .End());
    CliRun r = Cli({"profile", "show", file});
    ASSERT_EQ(r.code, 0) << r.err;
    nlohmann::ordered_json json = nlohmann::ordered_json::parse(r.out);
    std::vector<std::string> keys;
    for (auto& item : json.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys,
              (std::vector<std::string>{
                  "AddImages", "NoFolderImages", "NoFolderLinks", "ClassAttribs",   "clrBackground",
                  "clrText",   "clrLink",        "clrVisited",    "clrActive",      "ConfirmDelete",
                  "FileName",  "FileTypes",      "IgnoreFolders", "IgnoreFiles",    "IndexPage",
                  "Modified",  "OutputType",     "OutputFormat",  "OutputFileName", "OutputInsert",
                  "Untitled",  "UsePageTitles"}));
    EXPECT_EQ(json["AddImages"], true);
    EXPECT_EQ(json["NoFolderLinks"], false);
    EXPECT_EQ(json["clrBackground"], 0xFFFFFF);
    EXPECT_EQ(json["clrText"], -1);
    EXPECT_EQ(json["FileName"], "/p/a.zpf");
    EXPECT_EQ(json["FileTypes"], "") << "a newly made profile has no file types";
    EXPECT_EQ(json["OutputType"], "moutInsert") << "show does not apply the profile";
    EXPECT_EQ(json["OutputFormat"], "mfmtParagraph");
    EXPECT_EQ(json["Untitled"], false);
    EXPECT_EQ(json["Modified"], true);
}

TEST(ProfileCli, ShowPrintsTheSitemapSettingsTheFileHoldsAfterThe22) {
    TempDir dir;
    std::string file = dir.Write("a.zpf", Header()
                                              .Ident("XmlLastMod", "mlmgit")
                                              .Bool("XmlSitemap", false)
                                              .Str("XmlBaseURL", "https://e.org/")
                                              .End());
    CliRun r = Cli({"profile", "show", file});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.substr(r.out.find("  \"UsePageTitles")),
              "  \"UsePageTitles\": true,\n  \"XmlSitemap\": false,\n  \"XmlBaseURL\": "
              "\"https://e.org/\",\n  \"XmlLastMod\": \"mlmGit\"\n}\n");
}

TEST(ProfileCli, ShowPrintsTextThatIsNotUtf8) {
    TempDir dir;
    std::string file =
        dir.Write("a.zpf", Header().Value("IndexPage", {0x14}).Int32(4).Raw("caf\xE9").End());
    CliRun r = Cli({"profile", "show", file});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["IndexPage"], "caf\xEF\xBF\xBD");
}

TEST(ProfileCli, ShowReportsReadErrors) {
    TempDir dir;
    const std::pair<const char*, const char*> foreign[] = {
        {"not a profile", "a text file"},
        {"\n  {\"IndexPage\": \"x\"}", "JSON"},
        {"<?xml version=\"1.0\"?><urlset/>", "XML"},
        {"<!DOCTYPE html><html></html>", "an HTML page"},
        {"", "an empty file"},
        {"PK\x03\x04\x00", "binary data"},
    };
    for (const auto& [content, kind] : foreign) {
        const std::string file = dir.Write("bad.zpf", content);
        CliRun r = Cli({"profile", "show", file});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "trailwright-cli: Invalid stream format: " + file +
                             " is not a profile file (it looks like " + kind +
                             "; `profile write` makes profile files)\n");
    }

    CliRun r =
        Cli({"profile", "show",
             dir.Write("settings.dat", Header("TSiteMapSettings").Bool("LoadLast", true).End())});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "trailwright-cli: Error reading TMapProfile.LoadLast: Property LoadLast "
                     "does not exist\n");
}

TEST(ProfileCli, GenerateStartsFromTheProfile) {
    TempDir dir;
    dir.Write("site/index.html", "<title>Home page</title>");
    dir.Write("site/about.html", "<title>About us</title>");
    TMapProfile in = MakeStartupProfile();
    in.SetFileName(dir / "site.zpf");
    in.SetIndexPage(dir / "site/index.html");
    in.SetOutputType(TMapOutputType::moutClipboard);
    in.SetOutputFormat(TMapOutputFormat::mfmtList);
    in.SetAddImages(false);
    in.SetIgnoreFiles(dir / "site/about.html\r\n");
    WriteProfile(in);

    CliRun r = Cli({"generate", "--profile", dir / "site.zpf", "--quiet"});
    ASSERT_EQ(r.code, 0) << r.err;
    std::string page = ReadAll(dir / "site/sitemap.html");
    EXPECT_NE(page.find("<ul>"), std::string::npos);
    EXPECT_NE(page.find("Home page"), std::string::npos);
    EXPECT_EQ(page.find("About us"), std::string::npos);
    EXPECT_FALSE(twtest::Exists(dir / "site/smfile.gif"));
}

// The link-text settings go into the file only when set, and back out again.
TEST(ProfileCli, LinkTextSettingsRoundTripAndLeaveNoTrace) {
    TempDir dir;
    // Marked modified, as the runs below are, and otherwise the start-up profile.
    ASSERT_EQ(Cli({"profile", "write", dir / "x.zpf", "--sort", "none"}).code, 0);
    const std::string plain = ReadAll(dir / "x.zpf");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--trim-titles", "auto", "--folder-titles", "--sort", "name"},
         "\"TrimTitles\": \"mttAuto\",\n  \"FolderTitles\": true,\n  \"ItemSort\": \"msortName\""},
        {{"--trim-titles", "Tom & \"Jerry\""},
         "\"TrimTitles\": \"mttText\",\n  \"TrimTitlesText\": \"Tom & \\\"Jerry\\\"\""},
    };
    for (const auto& [options, shown] : cases) {
        std::vector<std::string> args = {"profile", "write", dir / "p.zpf"};
        args.insert(args.end(), options.begin(), options.end());
        ASSERT_EQ(Cli(args).code, 0) << shown;
        CliRun show = Cli({"profile", "show", dir / "p.zpf"});
        EXPECT_NE(show.out.find("\"UsePageTitles\": true,\n  " + shown + "\n}"), std::string::npos)
            << show.out;
        ASSERT_EQ(Cli({"profile", "write", dir / "x.zpf", "--profile", dir / "p.zpf",
                       "--trim-titles", "none", "--no-folder-titles", "--sort", "none"})
                      .code,
                  0);
        EXPECT_EQ(ReadAll(dir / "x.zpf"), plain) << shown;
    }
}
