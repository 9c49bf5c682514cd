#include "cli/RunTool.h"
#include "core/LoopbackServer.h"
#include "core/TestUtil.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using twtest::Answer;
// About the link findings.
twtest::ToolResult RunTool(std::vector<std::string> args) {
    return twtest::RunLinkTool(std::move(args));
}

// check --external end to end, against a loopback server: every report
// form carries the findings, and without the flag nothing is asked.
TEST(ExternalCliTest, FindingsReachEveryReportForm) {
    twtest::ClearProxies();
    twtest::LoopbackServer server;
    server.Route("/ok", {});
    server.Route("/old", {.Status = 301, .Headers = "Location: /ok\r\n"});
    twtest::TempDir site;
    site.Write("index.html", "<title>Home</title><a href=\"about.html\">\n<a href=\"" +
                                 server.Url("/ok") + "\">a</a>\n" + "<img src=\"" +
                                 server.Url("/gone") + "\" alt=\"\">\n" + "<a href=\"" +
                                 server.Url("/old#part") + "\">b</a>\n" + "<a href=\"" +
                                 server.Url("/skip") + "\">c</a><img srcset=\"" +
                                 server.Url("/gone") + " 2x\"><link rel=stylesheet href=s.css>");
    site.Write("s.css", "p { background: url(" + server.Url("/gone#x") + ") }");
    site.Write("about.html", "<title>About</title><a href=\"index.html\">home</a>\n"
                             "<p style=\"background: url(" +
                                 server.Url("/gone") + ")\">");
    const std::string index = site / "index.html";

    twtest::ToolResult r = RunTool({"check", "--index", index});
    EXPECT_EQ(r.code, 0) << r.out; // offline: nothing is asked
    EXPECT_EQ(server.Requests("/ok"), 0);

    const std::vector<std::string> online = {"--external", "--ignore-url", "skip"};
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"check", "--index", index});
        args.insert(args.end(), online.begin(), online.end());
        return RunTool(args);
    };
    r = run({});
    EXPECT_EQ(r.code, 3) << r.err;
    const std::string gone = server.Url("/gone"), old = server.Url("/old");
    EXPECT_EQ(r.out, "External dead links: 1\n  " + gone + ": HTTP status 404\n" +
                         "    about.html:2: <p style> url(" + gone + ")\n" +
                         "    index.html:3: <img src=\"" + gone + "\">\n" +
                         "    index.html:5: <img srcset=\"" + gone + "\">\n" + "    s.css:1: url(" +
                         gone + "#x)\n" + "Moved permanently: 1\n  " + old +
                         ": moved permanently to " + server.Url("/ok") +
                         "\n    index.html:4: <a href=\"" + old +
                         "#part\">\n2 pages, 3 local links, 3 external URLs checked. 4 problems: "
                         "4 external dead links.\n");
    EXPECT_EQ(server.Requests("/skip"), 0);

    nlohmann::json json = nlohmann::json::parse(run({"--json"}).out);
    EXPECT_EQ(json["externalLinks"][0]["status"], 404);
    EXPECT_EQ(json["externalLinks"][1]["finding"], "movedPermanently");
    EXPECT_EQ(json["externalLinks"][1]["finalUrl"], server.Url("/ok"));
    EXPECT_EQ(json["summary"]["externalDeadLinks"], 4);

    // A move informs, in every form; the dead link fails.
    r = run({"--format", "github", "--path-base", site.Path()});
    EXPECT_NE(r.out.find("::error file=index.html,line=3,title=External dead link::"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("::notice file=index.html,line=4,title=Moved permanently::"),
              std::string::npos);
    r = run({"--format", "junit"});
    EXPECT_NE(r.out.find("failures=\"3\""), std::string::npos);
    EXPECT_NE(r.out.find("Notes:&#10;index.html:4: Moved permanently"), std::string::npos);
    json = nlohmann::json::parse(run({"--format", "sarif"}).out);
    EXPECT_EQ(json["runs"][0]["results"].size(), 5u);
    EXPECT_EQ(json["runs"][0]["results"][4]["level"], "note");

    // The report is its own baseline: nothing new fails.
    site.Write("base.json", run({"--json"}).out);
    EXPECT_EQ(run({"--baseline", site / "base.json"}).code, 0);
    // Options of the online check need it, and take only their forms.
    for (std::vector<std::string> bad : {std::vector<std::string>{"--timeout", "5"},
                                         {"--external", "--accept", "2xx"},
                                         {"--external", "--max-cache-age", "1 week"}}) {
        bad.insert(bad.begin(), {"check", "--index", index});
        EXPECT_EQ(RunTool(bad).code, 2) << bad.back();
    }
}

} // namespace

// The site's own absolute URLs are its local files, checked offline.
TEST(ExternalCliTest, TheSitesOwnUrlsAreLocalFiles) {
    twtest::TempDir site;
    site.Write("about.html", "<title>About</title>");
    site.Write("docs/index.html", "<title>Docs</title>");
    site.Write("index.html",
               "<title>Home</title>\n<a href=\"HTTPS://www.example.org/about.html\">\n"
               "<a href=\"https://www.example.org/about.html#team\">\n"
               "<a href=\"https://www.example.org/Docs/\">\n"
               "<a href=\"https://www.example.org\"><a href=\"https://www.example.org/docs\">\n"
               "<a href=\"https://www.example.orgs/x.html\">");
    twtest::ToolResult r = RunTool(
        {"check", "--index", site / "index.html", "--site-url", "https://www.example.org/"});
    EXPECT_EQ(r.code, 3) << r.err;
    EXPECT_EQ(r.out, "Dead links: 2\n"
                     "  index.html:3: <a href=\"https://www.example.org/about.html#team\"> "
                     "(missing anchor)\n"
                     "  index.html:4: <a href=\"https://www.example.org/Docs/\"> (differs only in "
                     "letter case)\n"
                     "3 pages, 5 local links checked. 2 problems: 2 dead links.\n");
}
