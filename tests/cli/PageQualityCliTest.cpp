#include "cli/RunTool.h"
#include "core/TestUtil.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <set>
#include <tuple>

using twtest::RunTool;
using twtest::TempDir;

namespace {

using Found = std::set<std::tuple<std::string, std::string, int>>; // kind, page, line

// A page with nothing to find: lang, description, h1, a title of its own.
std::string Clean(const std::string& name, const std::string& body = "") {
    return "<!doctype html>\n<html lang=\"en\">\n<head><title>" + name +
           "</title><meta name=\"description\" content=\"" + name + "\"></head>\n<body><h1>" +
           name + "</h1>" + body + "</body></html>\n";
}

std::string Redirect(const std::string& name, const std::string& to) {
    return "<!doctype html>\n<html lang=\"en\">\n<head><title>" + name +
           "</title>\n<meta http-equiv=\"refresh\" content=\"0; url=" + to + "\"></head></html>\n";
}

// One fault of each kind, and what looks like one but is none: alt="", a
// plain link to an http: URL, an https resource, a description only one
// page has, a page at exactly the greatest depth, a redirect that is no chain.
class PageQualityCliTest : public ::testing::Test {
protected:
    static constexpr const char* kIndex =
        "<!doctype html>\n<html lang=\"en\">\n"
        "<head><title>Home</title><meta name=\"DESCRIPTION\" content=\"Home\">\n"
        "<link rel=\"stylesheet\" href=\"https://example.org/s.css\"></head>\n"
        "<body><h1>Home</h1>\n"
        "<img src=\"a.png\" alt=\"\"> <img src=\"b.png\">\n"
        "<a href=\"http://example.com/\">plain</a><script "
        "src=\"http://cdn.example.com/x.js\"></script>\n"
        "<p id=\"x\">one</p><a id=\"y\" name=\"y\"></a><p id=\"x\">two</p>\n"
        "<a href=\"d1.html\"></a><a href=\"go.html\"></a><a href=\"r1.html\"></a>"
        "<a href=\"nolang.html\"></a><a href=\"bare.html\"></a>"
        "<a href=\"nodesc.html\"></a><a href=\"noh1.html\"></a>"
        "<a href=\"shared1.html\"></a><a href=\"shared2.html\"></a>"
        "<a href=\"solo.html\"></a></body></html>\n";

    void SetUp() override {
        site.Write("index.html", kIndex);
        for (const char* file : {"s.css", "a.png", "b.png"})
            site.Write(file);
        site.Write("d1.html", Clean("D1", "<a href=\"d2.html\"></a>"));
        site.Write("d2.html", Clean("D2", "<a href=\"d3.html\"></a>"));
        site.Write("d3.html", Clean("D3"));
        site.Write("go.html", Redirect("Go", "index.html"));
        site.Write("r1.html", Redirect("R1", "r2.html"));
        site.Write("r2.html", Redirect("R2", "index.html#top"));
        site.Write("nolang.html", "<!doctype html>\n<html>\n<head><title>No lang</title><meta "
                                  "name=\"description\" content=\"x\"></head><h1>a</h1>");
        site.Write("bare.html",
                   "<title>Bare</title><meta name=description content=Bare><h1>B</h1>");
        site.Write("nodesc.html", "<!doctype html>\n<html lang=\"en\">\n<title>No desc</title>"
                                  "<meta name=\"description\" content=\"  \"><h1>a</h1>");
        site.Write("noh1.html", "<!doctype html>\n<html lang=\"de\">\n<title>No h1</title><meta "
                                "name=\"description\" content=\"y\"><h2>a</h2>");
        site.Write("shared1.html", "<html lang=en><title>S1</title><meta name=description "
                                   "content=\"Shared  text\"><h1>a</h1>");
        site.Write("shared2.html", "<html lang=en><title>S2</title><meta name=description "
                                   "content=\"Shared text \"><h1>a</h1>");
        site.Write("solo.html", Clean("Solo"));
    }

    twtest::ToolResult Check(std::vector<std::string> args) {
        args.insert(args.begin(), {"check", "--quiet", "--index", site / "index.html", "--site-url",
                                   "https://example.org/", "--max-depth", "2"});
        return RunTool(std::move(args));
    }

    TempDir site;
};

Found Quality(const nlohmann::json& report) {
    Found found;
    for (const auto& q : report["pageQuality"])
        found.insert({q["finding"], q["page"], q["line"].is_null() ? 0 : int(q["line"])});
    return found;
}

} // namespace

TEST_F(PageQualityCliTest, EachFaultIsFoundOnceAtItsPlaceAndNothingElse) {
    auto r = Check({"--json"});
    ASSERT_EQ(r.code, 0) << r.err << r.out;
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(Quality(json), (Found{{"missingAlt", "index.html", 6},
                                    {"mixedContent", "index.html", 7},
                                    {"duplicateId", "index.html", 8},
                                    {"tooDeep", "d3.html", 0},
                                    {"redirectPage", "go.html", 4},
                                    {"redirectPage", "r1.html", 4},
                                    {"redirectPage", "r2.html", 4},
                                    {"redirectChain", "r1.html", 4},
                                    {"missingLang", "nolang.html", 2},
                                    {"missingLang", "bare.html", 0},
                                    {"missingDescription", "nodesc.html", 2},
                                    {"missingH1", "noh1.html", 2},
                                    {"duplicateDescription", "shared1.html", 0},
                                    {"duplicateDescription", "shared2.html", 0}}));
    EXPECT_EQ(json["deadLinks"].size() + json["orphanPages"].size(), 0u);
    for (const auto& q : json["pageQuality"]) {
        if (q["finding"] == "redirectChain") {
            EXPECT_EQ(q["value"], "r1.html -> r2.html -> index.html");
        }
    }
}

TEST_F(PageQualityCliTest, StrictSkipAndOnlyDecideWhatIsReportedAndWhatFails) {
    struct Row {
        std::vector<std::string> args;
        int code;
        size_t reported; // page-quality findings in the JSON report
        size_t failing;  // of them marked "fails"
    };
    const std::vector<Row> rows = {
        {{}, 0, 14, 0},
        {{"--strict"}, 3, 14, 14},
        {{"--strict", "--only", "deadLink", "--only", "orphanPage"}, 0, 0, 0},
        {{"--strict", "--only", "missingH1"}, 3, 1, 1},
        {{"--skip", "redirectPage", "--skip", "duplicateDescription"}, 0, 9, 0},
        {{"--max-depth", "3"}, 0, 13, 0},
        {{"--only", "nosuchKind"}, 2, 0, 0},
        {{"--skip", "redirectpage"}, 2, 0, 0},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = row.args;
        args.push_back("--json");
        auto r = Check(args);
        SCOPED_TRACE(testing::PrintToString(row.args));
        ASSERT_EQ(r.code, row.code) << r.err;
        if (r.code == 2) {
            EXPECT_NE(r.err.find("expected one of deadLink|"), std::string::npos) << r.err;
            continue;
        }
        const auto json = nlohmann::json::parse(r.out);
        size_t failing = 0;
        for (const auto& q : json["pageQuality"])
            failing += q["fails"] == true ? 1 : 0;
        EXPECT_EQ(json["pageQuality"].size(), row.reported);
        EXPECT_EQ(json["summary"]["pageQuality"], row.reported);
        EXPECT_EQ(failing, row.failing);
    }
}

TEST_F(PageQualityCliTest, EveryFormatMarksWhatFails) {
    for (bool strict : {false, true}) {
        std::vector<std::string> extra;
        if (strict)
            extra.push_back("--strict");
        auto sarif = Check([&] {
            auto a = extra;
            a.insert(a.end(), {"--format", "sarif", "--only", "missingH1"});
            return a;
        }());
        const auto log = nlohmann::json::parse(sarif.out);
        const auto& results = log["runs"][0]["results"];
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(results[0]["ruleId"], "missingH1");
        EXPECT_EQ(results[0]["level"], "warning");
        EXPECT_EQ(results[0]["properties"]["fails"], strict);

        auto junit = Check([&] {
            auto a = extra;
            a.insert(a.end(), {"--format", "junit", "--only", "tooDeep"});
            return a;
        }());
        EXPECT_EQ(junit.out.find("<failure ") != std::string::npos, strict) << junit.out;
        EXPECT_EQ(junit.out.find("<system-out>Notes:&#10;d3.html: Too deep") != std::string::npos,
                  !strict)
            << junit.out;

        auto github = Check([&] {
            auto a = extra;
            a.insert(a.end(), {"--format", "github", "--path-base", site / "", "--only",
                               "redirectChain", "--only", "redirectPage"});
            return a;
        }());
        EXPECT_EQ(github.out.rfind(strict ? "::error file=go.html,line=4,title=Redirect page::"
                                          : "::notice file=go.html,line=4,title=Redirect page::",
                                   0),
                  0u)
            << github.out;
        EXPECT_NE(github.out.find(strict ? "::error file=r1.html,line=4,title=Redirect chain::"
                                         : "::warning file=r1.html,line=4,title=Redirect chain::"),
                  std::string::npos)
            << github.out;
    }
}

// The page-quality findings go into a baseline and come back known.
TEST_F(PageQualityCliTest, ABaselineKnowsThePageQualityFindings) {
    auto first = Check({"--json"});
    site.Write("baseline.json", first.out);
    site.Write("noh1.html", "<!doctype html>\n\n\n<html lang=\"de\">\n<title>No h1</title><meta "
                            "name=\"description\" content=\"y\"><h2>moved down</h2>");
    auto again = Check({"--strict", "--json", "--baseline", site / "baseline.json"});
    EXPECT_EQ(again.code, 0) << again.out;
    const auto json = nlohmann::json::parse(again.out);
    EXPECT_EQ(json["summary"]["known"], 14);
    // A picture that lost its alt is a new finding.
    std::string index = kIndex;
    index.replace(index.find(" alt=\"\""), 7, "");
    site.Write("index.html", index);
    EXPECT_EQ(Check({"--strict", "--baseline", site / "baseline.json"}).code, 3);
}
