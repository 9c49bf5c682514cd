#include "output/PageTemplate.h"

#include "core/TestUtil.h"
#include "output/ModernLayout.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>

using namespace tw;
using twtest::TempDir;

namespace {

std::string Written(const LoadedTemplate& page, const TMapProfile& profile) {
    TSiteMapTree tree;
    TDataRec rec;
    rec.LinkText = "Home", rec.LinkURL = "index.html", rec.IsFolder = true;
    tree.Add(nullptr, rec, kImageFolder);
    std::string out;
    WriteModernTemplatedPage(page, tree, profile, nullptr,
                             [&out](std::string_view piece) { out += piece; });
    return out;
}

} // namespace

TEST(PageTemplate, RelativeURLsAreRebasedAndTheRestLeftAlone) {
    // What the template's page links to, and the link from the output's folder.
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"a.css", "../theme/a.css"}, {"img/b.png?v=1#x", "../theme/img/b.png?v=1#x"},
        {" \tsub/../c.js\n", "../theme/c.js"}, {"../index.html", "../index.html"},
        {"../out/x.html", "x.html"}, {"../out/", "./"},
        {"../../../../up", "../../up"}, {"..\\x.png", "../theme/..\\x.png"},
        {"%2e%2e/y", "../theme/%2e%2e/y"}, {"http://e.org/a", "(left)"},
        {"//cdn.example/x", "(left)"}, {"/abs.css", "(left)"},
        {"\\\\host\\x", "(left)"}, {"#frag", "(left)"},
        {"?q=1", "(left)"}, {"", "(left)"},
        {"data:text/html,x", "(left)"}, {"mailto:a@b.org", "(left)"},
        {" JavaScript:alert(1)", "(left)"}, {"java\nscript:alert(1)", "(left)"},
    };
    // clang-format on
    for (const auto& [url, expected] : cases)
        EXPECT_EQ(RebasedURL(url, "/s/theme/", "/s/out/").value_or("(left)"), expected) << url;
}

TEST(PageTemplate, AFaultyTemplateIsRefusedWithItsName) {
    TempDir dir;
    const std::string marker(kTemplateMarker);
    const std::pair<std::string, const char*> cases[] = {
        {"<head></head><body>", "holds no"},
        {"<head></head><script>'" + marker + "'</script><textarea>" + marker + "</textarea>",
         "holds no"},
        {"<head></head>" + marker + marker, "2 times"},
        {"<head><!-- </head> --><script>'</head>'</script>" + marker, "has no </head>"},
        {"<head>" + marker + "</head>", "in its head"},
        {"<meta charset=latin1><head></head>" + marker, "is in windows-1252"},
    };
    for (const auto& [text, message] : cases) {
        std::string path = dir.Write("t.html", text);
        try {
            LoadPageTemplate(path, dir / "sitemap.html");
            ADD_FAILURE() << text;
        } catch (const ETemplateError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}

TEST(PageTemplate, InTheOutputsFolderOnlyTheTwoInsertionsChangeIt) {
    TempDir dir;
    const std::string before = "<!DOCTYPE html>\r\n<HTML lang=fr><Head><Title>Mon site</Title>"
                               "<link href=s.css rel=stylesheet>\xFF</HEAD >\r\n<body>"
                               "<a HREF=x.html>x</a>";
    const std::string after = "<img src='i.png'></body></html>\r\n";
    const std::string path = dir.Write("t.html", before + "<!--trailwright:sitemap-->" + after);
    TMapProfile profile;
    const std::string page = Written(LoadPageTemplate(path, dir / "sitemap.html"), profile);
    const size_t head = before.find("</HEAD >");
    const std::string insert = ModernTemplateHead(profile);
    ASSERT_EQ(page.substr(0, head) + page.substr(head + insert.size(), before.size() - head),
              before);
    EXPECT_TRUE(page.ends_with("</nav>\n" + after));
    EXPECT_NE(page.find("<nav id=\"trailwright-sitemap\" aria-labelledby=\"tw-title\">\n"
                        "<h2 id=\"tw-title\">Site Map</h2>"),
              std::string::npos);
}

TEST(PageTemplate, ElsewhereItsURLsLeadWhereTheyDidAndNoMarkupBreaks) {
    TempDir dir;
    // Template fragment, and what the page holds in its place.
    const std::pair<std::string, std::string> cases[] = {
        {"<link rel=stylesheet href=s.css>", "<link rel=stylesheet href=\"../t/s.css\">"},
        {"<A HREF='p.html?a=1&amp;b=2'>", "<A HREF=\"../t/p.html?a=1&amp;b=2\">"},
        {"<a href='&quot;onclick=x.html'>", "<a href=\"../t/&quot;onclick=x.html\">"},
        {"<a href=\"&#106;avascript:alert(1)\">", "<a href=\"&#106;avascript:alert(1)\">"},
        {"<a href=\"#top\" id=top>", "<a href=\"#top\" id=top>"},
        {"<a href=//cdn.example/x>", "<a href=//cdn.example/x>"},
        {"<img src=i.png srcset=\"i.png 1x,j.png 2x\">",
         "<img src=\"../t/i.png\" srcset=\"../t/i.png 1x,../t/j.png 2x\">"},
        {"<form action=go.php><button formaction=b.php>",
         "<form action=\"../t/go.php\"><button formaction=\"../t/b.php\">"},
        {"<video poster=v.jpg></video><object data=o.svg></object>",
         "<video poster=\"../t/v.jpg\"></video><object data=\"../t/o.svg\"></object>"},
        {"<div style=\"background:url(b.png)\">",
         "<div style=\"background:url(&quot;../t/b.png&quot;)\">"},
        {"<style>p{background:url('a\".png')}</style>",
         "<style>p{background:url(\"../t/a\\22 .png\")}</style>"},
        {"<!-- <a href=c.html> --><script>'<a href=s.html>'</script>",
         "<!-- <a href=c.html> --><script>'<a href=s.html>'</script>"},
    };
    std::string body, expected;
    for (const auto& [from, to] : cases) {
        body += from + "\n";
        expected += to + "\n";
    }
    const std::string path =
        dir.Write("t/t.html", "<head></head><body>\n" + body + std::string(kTemplateMarker));
    const std::string page =
        Written(LoadPageTemplate(path, dir.MakeDir("out") + "sitemap.html"), TMapProfile());
    EXPECT_NE(page.find("<body>\n" + expected + "<nav"), std::string::npos) << page;

    // A base URL is what the others resolve against: it alone moves, an absolute one not at all.
    for (const auto& [base, written] : {std::pair{"b/", "\"../t/b/\""}, {"//e.org/", "//e.org/"}}) {
        dir.Write("t/t.html", std::string("<head><base href=") + base + "></head><a href=x.html>" +
                                  std::string(kTemplateMarker));
        const std::string based =
            Written(LoadPageTemplate(path, dir / "out/sitemap.html"), TMapProfile());
        EXPECT_TRUE(based.starts_with(std::string("<head><base href=") + written + ">") &&
                    based.find("</head><a href=x.html>") != std::string::npos)
            << based;
    }
}

TEST(PageTemplate, EveryRuleOfTheInsertedSheetStaysInsideTheNav) {
    const std::string head = ModernTemplateHead(TMapProfile());
    const std::string css = head.substr(head.find("<style>") + 7);
    // A selector list is what stands before a "{" that opens no @media block.
    const std::regex list(R"(([^{}]+)\{)");
    size_t selectors = 0;
    for (std::sregex_iterator it(css.begin(), css.end(), list), end; it != end; ++it) {
        std::stringstream split(it->str(1).substr(it->str(1).find_first_not_of('\n')));
        for (std::string one; std::getline(split, one, ',') && !one.starts_with("@media");
             ++selectors)
            EXPECT_TRUE(one == "#trailwright-sitemap" || one.starts_with("#trailwright-sitemap ") ||
                        one.starts_with("#trailwright-sitemap>"))
                << one;
    }
    EXPECT_GT(selectors, 20u);
    EXPECT_NE(head.find("@media (prefers-color-scheme:dark){#trailwright-sitemap{"),
              std::string::npos);
}
