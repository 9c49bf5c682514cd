#include "check/CheckReport.h"

#include "support/Errors.h"
#include "support/TextEncoding.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

using namespace tw;

namespace {

// A finding of each kind, with names that every format has to escape.
LinkReport Seeded() {
    LinkReport r;
    r.DeadLinks = {
        {"a,b:c%.html", "x\r\ny.html", "a", "href", 7, DeadLinkReason::Missing},
        {"s.css", "i.png", "", "", 0, DeadLinkReason::Missing, false, LinkSource::StyleSheet}};
    r.OrphanPages = {"caf\xE9.html"};
    r.TitleProblems = {{TitleProblemKind::Duplicate, {"a,b:c%.html", "t\x01.html"}, "T&\x02"}};
    r.FoldersWithoutDefaultPage = {"pics/"};
    r.Notes = {{"big.html", PageNoteKind::Truncated}};
    r.CheckedFiles = {"a,b:c%.html", "s.css", "t\x01.html"};
    return r;
}

std::string Written(const LinkReport& report, ReportFormat format, const Baseline* known) {
    std::ostringstream out;
    ReportOptions options;
    options.Format = format;
    options.Known = known;
    options.PathPrefix = "../site/";
    options.ToolVersion = "1.0";
    WriteReport(report, options, out);
    return out.str();
}

Baseline Known(const LinkReport& report) {
    return ParseBaseline(Written(report, ReportFormat::Json, nullptr));
}

// A baseline that knows the folder of Seeded().
Baseline KnowsFolder() {
    LinkReport report;
    report.FoldersWithoutDefaultPage = {"pics/"};
    return Known(report);
}

} // namespace

TEST(CheckReport, GithubCommandsAreEscapedAsTheToolkitEscapesThem) {
    const Baseline baseline = KnowsFolder();
    EXPECT_EQ(Written(Seeded(), ReportFormat::Github, &baseline),
              "::error file=../site/a%2Cb%3Ac%25.html,line=7,title=Dead link::Dead link: "
              "<a href=\"x%0D%0Ay.html\">\n"
              "::error file=../site/s.css,title=Dead link::Dead link: url(i.png)\n"
              "::error file=../site/caf\xEF\xBF\xBD.html,title=Orphan page::Orphan page: no "
              "chain of links from the index page reaches it\n"
              "::error file=../site/a%2Cb%3Ac%25.html,title=Duplicate title::Duplicate title "
              "\"T&?\", also on t?.html\n"
              "::error file=../site/t?.html,title=Duplicate title::Duplicate title \"T&?\", "
              "also on a,b:c%25.html\n"
              "::notice file=../site/pics/,title=Folder without a default page (known)::Folder "
              "without a default page\n"
              "::error file=../site/big.html,title=Page not fully checked::Page not fully "
              "checked: only the first 16 MB were checked\n");
}

TEST(CheckReport, XmlAndSarifHoldOnlyWhatTheyMayHold) {
    const Baseline baseline = KnowsFolder();
    std::string xml = Written(Seeded(), ReportFormat::Junit, &baseline);
    EXPECT_NE(xml.find("tests=\"6\" failures=\"5\" errors=\"0\" skipped=\"1\""), std::string::npos);
    EXPECT_NE(xml.find("<testcase name=\"t\xEF\xBF\xBD.html\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("message=\"Dead link: &lt;a href=&quot;x&#13;&#10;y.html&quot;&gt;\""),
              std::string::npos);
    EXPECT_EQ(xml.find('\x01'), std::string::npos);

    auto sarif = nlohmann::json::parse(Written(Seeded(), ReportFormat::Sarif, &baseline));
    const auto& results = sarif["runs"][0]["results"];
    ASSERT_EQ(results.size(), 7u);
    EXPECT_EQ(results[0]["locations"][0]["physicalLocation"], nlohmann::json::parse(R"({
        "artifactLocation": {"uri": "../site/a%2Cb%3Ac%25.html"}, "region": {"startLine": 7}})"));
    EXPECT_EQ(results[2]["locations"][0]["physicalLocation"]["artifactLocation"]["uri"],
              "../site/caf%E9.html");
    for (const auto& result : results)
        EXPECT_EQ(result["baselineState"],
                  result["ruleId"] == "folderWithoutDefaultPage" ? "unchanged" : "new");
}

TEST(CheckReport, AFindingIsKnownByWhatItIsNotByItsLine) {
    const Baseline baseline = Known(Seeded());
    EXPECT_EQ(baseline.Size(), 7u);
    const std::vector<std::pair<std::function<void(LinkReport&)>, size_t>> changes = {
        {[](LinkReport&) {}, 0},
        {[](LinkReport& r) { r.DeadLinks[0].Line = 70; }, 0},
        {[](LinkReport& r) { r.DeadLinks[0].Link = "z.html"; }, 1},
        {[](LinkReport& r) { r.DeadLinks[1].Reason = DeadLinkReason::NoDefaultPage; }, 1},
        {[](LinkReport& r) { r.OrphanPages[0] = "cafe.html"; }, 1},
        {[](LinkReport& r) { r.OrphanPages[0] = "caf\xE8.html"; }, 1}, // U+FFFD both
        {[](LinkReport& r) { r.TitleProblems[0].Pages.push_back("u.html"); }, 1},
        {[](LinkReport& r) { r.TitleProblems[0].Title = "Other"; }, 1},
        {[](LinkReport& r) { r.Notes[0].Kind = PageNoteKind::Unreadable; }, 1},
    };
    for (size_t i = 0; i < changes.size(); ++i) {
        LinkReport report = Seeded();
        changes[i].first(report);
        EXPECT_EQ(NewProblemCount(report, &baseline), changes[i].second) << "change " << i;
    }
    // Reports written before findings could be known list paths alone.
    EXPECT_TRUE(ParseBaseline(R"({"deadLinks": [], "orphanPages": ["a.html"], "titleProblems": [],
        "foldersWithoutDefaultPage": ["b/"], "notes": []})")
                    .Contains({FindingKind::FolderWithoutDefaultPage, "b/", "", "", "", ""}));
}

TEST(CheckReport, AKnownMoveNeitherFailsNorIsMarkedFailingUnderStrict) {
    LinkReport report;
    DeadLink link{"a.html", "http://x.example/old", "a", "href", 3};
    report.ExternalChecked = true;
    report.ExternalUrls = {{"http://x.example/old", 301, "", "http://x.example/new", false, {link}},
                           {"http://x.example/gone", 404, "HTTP 404", "", true, {link}}};
    const Baseline baseline = Known(report);
    EXPECT_EQ(NewProblemCount(report, &baseline, true), 0u);
    ReportOptions options;
    options.Format = ReportFormat::Json;
    options.Known = &baseline;
    options.Strict = true;
    std::ostringstream out;
    WriteReport(report, options, out);
    const nlohmann::json json = nlohmann::json::parse(out.str());
    for (const auto& url : json.at("externalLinks"))
        EXPECT_EQ(url["links"][0]["fails"], false) << url["url"];
}

TEST(CheckReport, ABaselineTellsBytesThatAreNotUtf8Apart) {
    auto with = [](char c) {
        const std::string name = std::string("n") + c;
        LinkReport r;
        r.DeadLinks = {{name, "x.html", "a", "href", 1, DeadLinkReason::Missing},
                       {"p.html", name, "a", "href", 1, DeadLinkReason::Missing}};
        r.OrphanPages = {name};
        r.TitleProblems = {{TitleProblemKind::Duplicate, {name, "q.html"}, "T"},
                           {TitleProblemKind::Duplicate, {"r.html", "s.html"}, name}};
        r.FoldersWithoutDefaultPage = {name + "/"};
        r.Notes = {{name, PageNoteKind::Truncated}};
        return r;
    };
    std::string json = Written(with('\xFF'), ReportFormat::Json, nullptr);
    Baseline exact = ParseBaseline(json);
    EXPECT_EQ(NewProblemCount(with('\xFF'), &exact), 0u);
    EXPECT_EQ(NewProblemCount(with('\xFE'), &exact), 7u);
    // A report without the exact bytes compares them folded to U+FFFD, as before.
    for (size_t at = 0; (at = json.find("Bytes\"", at)) != std::string::npos;)
        json.replace(at, 5, "Other");
    exact = ParseBaseline(json);
    EXPECT_EQ(NewProblemCount(with('\xFE'), &exact), 0u);
}

TEST(CheckReport, OnlyGithubCommandsSpeakToTheRunner) {
    // The runner takes "::" after a line's white space, and "##[" anywhere.
    LinkReport r;
    r.DeadLinks = {{"a.html", "##[add-mask]x", "a", "href", 1, DeadLinkReason::Missing},
                   {":", "set-output name=ok::true", "a", "href", 0, DeadLinkReason::Missing}};
    r.OrphanPages = {"::set-output name=ok::true.html", "::stop-commands::tok.html",
                     " ::error title=Build fixed::x.html", "###[group]y"};
    r.TitleProblems = {{TitleProblemKind::Duplicate, {"::a::.html", "b.html"}, "##[t"}};
    const Baseline baseline = Known(r);
    for (ReportFormat format : {ReportFormat::Text, ReportFormat::Json, ReportFormat::Junit,
                                ReportFormat::Sarif, ReportFormat::Markdown, ReportFormat::Html}) {
        std::istringstream lines(Written(r, format, &baseline) + Written(r, format, nullptr));
        for (std::string line; std::getline(lines, line);) {
            line.erase(0, line.find_first_not_of(" "));
            EXPECT_FALSE(line.starts_with("::")) << line;
            EXPECT_EQ(line.find("##["), std::string::npos) << line;
        }
    }
    EXPECT_EQ(NewProblemCount(r, &baseline), 0u); // escaped JSON, the same values
}

TEST(CheckReport, WhatIsNoReportIsNoBaseline) {
    const std::string lists = R"("orphanPages": [], "titleProblems": [],
        "foldersWithoutDefaultPage": [], "notes": []})";
    const std::string link = R"({"deadLinks": [{"page": "a", "link": "b", "tag": "a",
        "attribute": "href", "reason": )";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "not JSON"},
        {"{\"deadLinks\": ", "not JSON"},
        {"[]", "not a report"},
        {"{}", "not a report"},
        {R"({"deadLinks": {}, )" + lists, "not a report"},
        {link + R"("gone"}], )" + lists, "not a report"},
        {link + "1}], " + lists, "not a report"},
        {link + R"("missing"}], )" + lists, "accepted"},
        {R"({"deadLinks": [], "orphanPages": [], "titleProblems": [{"kind": "duplicate",
            "pages": ["a"]}], "foldersWithoutDefaultPage": [], "notes": []})",
         "not a report"}};
    for (const auto& [text, error] : cases) {
        std::string said = "accepted";
        try {
            ParseBaseline(text);
        } catch (const TError& e) {
            said = e.what();
        }
        EXPECT_EQ(said.rfind(error, 0), 0u) << text << ": " << said;
    }
}

TEST(CheckReport, IgnoredLinksAreThoseAPatternFinds) {
    // The last two patterns make a backtracking matcher take exponential
    // time on these links; they must simply give their answers.
    auto ignored = IgnoreLinksMatching({"^https?://", "\\.pdf$", "(a+)+$", "^(a|ab|b)*c"});
    const std::vector<std::pair<std::string, bool>> links = {
        {"http://a/x.html", true},
        {"docs/HTTP://", false},
        {"a.pdf", true},
        {"a.pdf#p2", false},
        {std::string(1 << 20, 'x') + ".pdf", true},
        {std::string(28, 'a') + "!", false},
        {std::string(2047, 'a'), true},
        {[] {
             std::string ab;
             for (int i = 0; i < 1023; ++i)
                 ab += "ab";
             return ab + "!";
         }(),
         false}};
    for (const auto& [link, expected] : links)
        EXPECT_EQ(ignored(link), expected) << link.substr(0, 40);
    EXPECT_FALSE(IgnoreLinksMatching({}));
    // What RE2 cannot match in linear time is refused, naming the pattern.
    for (const char* bad : {"a(", "(a)\\1", "a(?=b)", "(?<!a)b"}) {
        EXPECT_NE(IgnorePatternError(bad).find(std::string("\"") + bad + "\""), std::string::npos)
            << bad;
        EXPECT_THROW(IgnoreLinksMatching({bad}), TError) << bad;
    }
}

TEST(CheckReport, AnUnreadableFolderIsAFindingOfItsOwnInEveryFormat) {
    LinkReport report;
    report.UnreadableFolders = {"locked/"};
    const std::pair<ReportFormat, std::string> cases[] = {
        {ReportFormat::Text, "Unreadable folders: 1\n  locked/: folder could not be read\n"},
        {ReportFormat::Text, "1 problem: 1 unreadable folder.\n"},
        {ReportFormat::Json, "\"unreadableFolders\": [\n    {\n      \"folder\": \"locked/\""},
        {ReportFormat::Junit, "<failure message=\"folder could not be read\" "
                              "type=\"unreadableFolder\">locked/: folder could not be read"},
        {ReportFormat::Sarif, "\"ruleId\": \"unreadableFolder\""},
        {ReportFormat::Github, "::error file=../site/locked/,title=Unreadable folder::folder "
                               "could not be read\n"},
    };
    for (const auto& [format, expected] : cases) {
        std::string written = Written(report, format, nullptr);
        EXPECT_NE(written.find(expected), std::string::npos) << written;
    }
    EXPECT_EQ(NewProblemCount(report, nullptr), 1u);
    const Baseline known = Known(report);
    EXPECT_EQ(NewProblemCount(report, &known), 0u);
    report.UnreadableFolders = {"other/"};
    EXPECT_EQ(NewProblemCount(report, &known), 1u);
}

namespace {

// A finding of each kind about Name.
LinkReport AllAbout(const std::string& name) {
    LinkReport r;
    r.DeadLinks = {
        {name, name, "a", "href", 3, DeadLinkReason::Missing},
        {"s.css", name, "", "", 0, DeadLinkReason::Missing, false, LinkSource::StyleSheet}};
    r.OrphanPages = {name};
    r.TitleProblems = {{TitleProblemKind::Missing, {name}, ""},
                       {TitleProblemKind::Duplicate, {name, "b.html"}, name}};
    r.FoldersWithoutDefaultPage = {name + "/"};
    r.Notes = {{name, PageNoteKind::Unreadable}};
    r.UnreadableFolders = {name + "/"};
    r.CheckedFiles = {name, "b.html", "s.css"};
    return r;
}

// Elements that close in order, attribute values without "<", and "&" only
// as a reference: what an XML reader needs to read a report at all.
bool WellFormedXml(const std::string& xml) {
    static const std::regex reference("&(lt|gt|amp|quot|apos|#[0-9]+|#x[0-9A-Fa-f]+);");
    for (size_t at = xml.find('&'); at != std::string::npos; at = xml.find('&', at + 1))
        if (!std::regex_search(xml.begin() + static_cast<std::ptrdiff_t>(at), xml.end(), reference,
                               std::regex_constants::match_continuous))
            return false;
    std::vector<std::string> open;
    for (size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at)) {
        size_t end = at + 1;
        for (char quote = 0; end < xml.size() && (quote || xml[end] != '>'); ++end) {
            if (quote && xml[end] == '<')
                return false;
            if (xml[end] == quote)
                quote = 0;
            else if (!quote && (xml[end] == '"' || xml[end] == '\''))
                quote = xml[end];
        }
        const std::string tag = xml.substr(at + 1, end - at - 1);
        at = end;
        if (end == xml.size() || tag.empty() || tag[0] == '?' || tag.ends_with('/'))
            continue;
        if (tag[0] != '/')
            open.push_back(tag.substr(0, tag.find_first_of(" \t\n")));
        else if (open.empty() || open.back() != tag.substr(1))
            return false;
        else
            open.pop_back();
    }
    return open.empty() && xml.rfind('>') == xml.find_last_not_of('\n');
}

} // namespace

TEST(CheckReport, EveryFormatStaysWellFormedWhateverTheNamesHold) {
    const LinkReport hostile = AllAbout("q\"'<&>\x01\x1B\x7F\xFF\xC3(%0A\r\n::x ##[y.html");
    const LinkReport tame = AllAbout("p.html");
    auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
    // JSON's reader refuses text that is not UTF-8, as XML's does. The text
    // report keeps the site's bytes, made safe for a terminal.
    auto parses = [](const std::string& text, const std::string&) {
        return nlohmann::json::accept(text);
    };
    auto sameLines = [&](const std::string& text, const std::string& tameText) {
        return lines(text) == lines(tameText);
    };
    const std::vector<
        std::pair<ReportFormat, std::function<bool(const std::string&, const std::string&)>>>
        formats = {{ReportFormat::Text, sameLines},
                   {ReportFormat::Json, parses},
                   {ReportFormat::Junit,
                    [](const std::string& xml, const std::string&) {
                        return WellFormedXml(xml) && IsUtf8(xml);
                    }},
                   {ReportFormat::Sarif, parses},
                   {ReportFormat::Github,
                    [&](const std::string& text, const std::string& tameText) {
                        return sameLines(text, tameText) && IsUtf8(text);
                    }},
                   {ReportFormat::Markdown,
                    [&](const std::string& text, const std::string& tameText) {
                        return sameLines(text, tameText) && IsUtf8(text);
                    }},
                   {ReportFormat::Html, [&](const std::string& text, const std::string& tameText) {
                        return sameLines(text, tameText) && IsUtf8(text);
                    }}};
    for (const auto& [format, wellFormed] : formats) {
        const std::string written = Written(hostile, format, nullptr);
        EXPECT_TRUE(wellFormed(written, Written(tame, format, nullptr))) << written;
        EXPECT_TRUE(std::none_of(written.begin(), written.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 && c != '\n';
        })) << written;
    }
    // One line for each finding.
    EXPECT_EQ(lines(Written(tame, ReportFormat::Github, nullptr)),
              static_cast<std::ptrdiff_t>(ListFindings(tame, {}).size()));
    // The JSON report read back as a baseline knows each finding, and only those.
    const Baseline known = Known(hostile);
    EXPECT_EQ(NewProblemCount(hostile, &known), 0u);
    EXPECT_EQ(NewProblemCount(tame, &known), tame.ProblemCount());
}

TEST(CheckReport, ReadableFormatsGroupEscapeAndLinkTheFindings) {
    LinkReport r;
    // One target that four pages name, one of them twice; a hostile name.
    for (const char* page : {"a.html", "a.html", "b.html", "c.html", "d/e.html"})
        r.DeadLinks.push_back({page, page[0] == 'd' ? "../gone.html" : "gone.html#x", "a", "href",
                               2, DeadLinkReason::Missing});
    r.DeadLinks.push_back(
        {"p|a\nge ::error::x.html", "`*_[]<>#\\", "a", "href", 9, DeadLinkReason::Missing});
    for (int i = 0; i < 52; ++i)
        r.OrphanPages.push_back("o" + std::to_string(100 + i) + ".html");
    r.OrphanPages.push_back("</script><script>alert(1)</script>\x01.html");
    r.OrphanPages.push_back("::stop-commands::t.html");
    r.PageCount = 60;
    auto written = [&r](ReportFormat format, bool all) {
        std::ostringstream out;
        ReportOptions options;
        options.Format = format;
        options.All = all;
        options.SiteRoot = "/srv/my site/";
        WriteReport(r, options, out);
        return out.str();
    };
    const std::tuple<ReportFormat, bool, std::string, bool> rows[] = {
        {ReportFormat::Text, false,
         "Dead links: 6\n  gone.html (missing): 5 links from 4 pages\n"
         "    a.html:2: <a href=\"gone.html#x\">\n    b.html:2: <a href=\"gone.html#x\">\n"
         "    c.html:2: <a href=\"gone.html#x\">\n    and 2 more links (--all lists every one)\n"
         "  p|a?ge ::error::x.html:9: <a href=\"`*_[]<>#\\\">\nOrphan pages: 54\n",
         true},
        {ReportFormat::Text, true,
         "Dead links: 6\n  a.html:2: <a href=\"gone.html#x\">\n  a.html:2: <a "
         "href=\"gone.html#x\">\n  b.html:2: <a "
         "href=\"gone.html#x\">\n"
         "  c.html:2: <a href=\"gone.html#x\">\n  d/e.html:2: <a href=\"../gone.html\">\n",
         true},
        {ReportFormat::Text, true, "links from", false},
        {ReportFormat::Markdown, false,
         "| Dead link | `deadLink` | error | 6 | 0 | yes |\n"
         "| Orphan page | `orphanPage` | warning | 54 | 0 | yes |\n",
         true},
        {ReportFormat::Markdown, false,
         "| p\\|a?ge \\:\\:error\\:\\:x.html | 9 | Dead link\\: \\<a "
         "href=\"\\`\\*\\_\\[\\]\\<\\>\\#"
         "\\\\\"\\> |\n",
         true},
        {ReportFormat::Markdown, false, "| \\:\\:stop\\-commands\\:\\:t.html |  | ", true},
        {ReportFormat::Markdown, false, "| o148.html |", false}, // the 51st row
        {ReportFormat::Markdown, false, "\nAnd 4 more: ", true},
        {ReportFormat::Html, false,
         "<tr><td><a href=\"file:///srv/my%20site/d/e.html\">d/e.html</a></td><td "
         "class=\"num\">2</td>",
         true},
        {ReportFormat::Html, false,
         "&lt;/script&gt;&lt;script&gt;alert(1)&lt;/script&gt;\xEF\xBF\xBD.html</a>", true},
        {ReportFormat::Html, false, "<script>alert", false},
        {ReportFormat::Html, false, "<option value=\"k-orphanPage\">Orphan page (54)</option>",
         true},
        {ReportFormat::Html, false, "p|a\xEF\xBF\xBDge ::error::x.html</a>", true},
    };
    for (const auto& [format, all, text, present] : rows) {
        const std::string out = written(format, all);
        EXPECT_EQ(out.find(text) != std::string::npos, present) << text << "\n---\n" << out;
    }
    // A line never starts a runner command, whatever the names hold.
    std::istringstream lines(written(ReportFormat::Markdown, false));
    for (std::string line; std::getline(lines, line);)
        EXPECT_FALSE(line.starts_with("::")) << line;
}
