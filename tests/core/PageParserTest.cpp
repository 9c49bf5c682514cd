#include "model/PageParser.h"

#include "model/CssReferences.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace tw;

TEST(PageParserTest, TheFirstHtmlTitleCounts) {
    ParsedPage page =
        ParsePage("<svg><title>drawing</title></svg><title>A &amp; B</title><title>second</title>");
    EXPECT_EQ(page.Title, "A & B");
    EXPECT_FALSE(ParsePage("<p>no title").Title.has_value());
    EXPECT_EQ(ParsePage("<title></title>").Title, "");
}

// The cases where a reader that only looks for tags goes wrong, and how the
// tokenizer takes each. Links as "tag attribute value:line", "|" between.
TEST(PageParserTest, ReadsMarkupAsTheHtmlTokenizerDoes) {
    struct Case {
        const char* html;
        const char* links;
        const char* anchors = "";
    };
    const Case cases[] = {
        {"<!-- <a href=\"c.html\"> --><a href=x.html>", "a href x.html:1"},
        {"<!--><a href=x.html><!---><a href=y.html><!-- --!><a href=z.html>",
         "a href x.html:1|a href y.html:1|a href z.html:1"},
        {"<script>s='<a href=\"s.html\">';</script ><a href=x.html>", "a href x.html:1"},
        {"<script><!-- w('<script></script><a href=in.html>') --></script><a href=x.html>",
         "a href x.html:1"},
        {"<style>p{background:url(bg.png)}</style><STYLE>/* url(c.png) */</STYLE>",
         "style  bg.png:1"},
        {"<A HREF=Up.html><a href='q.html'class=x><a href=\"d.html\" href=\"second.html\">",
         "a href Up.html:1|a href q.html:1|a href d.html:1"},
        {"<a href=\"a&amp;b&copy=1&notit;&#x41;&#66;&#128;&#0;\">",
         "a href a&b&copy=1&notit;AB\xE2\x82\xAC\xEF\xBF\xBD:1"},
        {"<template><a href=t.html id=tid><template></template><p id=p></template><a href=x.html>",
         "a href x.html:1"},
        {"<svg id=s><a href=s.html></a><title>pic</title><p id=out><a href=p.html>",
         "a href p.html:1", "s out"},
        {"<svg><foreignObject><a href=f.html></a></foreignObject><a href=no.html/></svg>",
         "a href f.html:1"},
        {"<math><mi><a href=m.html></a></mi></math><a href=x.html>",
         "a href m.html:1|a href x.html:1"},
        {"<textarea><a href=t.html></textarea><xmp><a href=x.html></xmp><a href=\"cut.html", ""},
        {"<img srcset=\"a.png 1x, b.png 2x,c.png,, d(1).png 3x\" src=e.png>",
         "img src e.png:1|img srcset a.png:1|img srcset b.png:1|img srcset c.png:1|"
         "img srcset d(1).png:1"},
        {"<meta http-equiv=Refresh content=\"0; URL='next.html'\"><meta http-equiv=refresh "
         "content=5><input type=IMAGE src=go.png><input src=no.png>",
         "meta content next.html:1|input src go.png:1"},
        {"<image src=i.png>\r\n<a\nhref\n=\n\"x.html\">\r<p style=\"x:url(s.png)\">",
         "img src i.png:1|a href x.html:5|p style s.png:6"},
        {"<a name=n id=i><b id=\"\"><p id=\"caf&eacute;\">", "", "i n caf\xC3\xA9"},
        // The first of several same names counts, however many come between.
        {"<a a b c d e f g h i j k l m n o p q r s href=one.html t href=two.html ID=x id=y>",
         "a href one.html:1", "x"},
        {"<svg><foreignObject><svg><foreignObject><p></p></svg></svg><a href=out.html>",
         "a href out.html:1"},
    };
    for (const Case& c : cases) {
        ParsedPage page = ParsePage(c.html);
        std::string links, anchors;
        for (const PageLink& l : page.Links)
            links += (links.empty() ? "" : "|") + l.Tag + " " + l.Attribute + " " + l.Value + ":" +
                     std::to_string(l.Line);
        for (const std::string& a : page.Anchors)
            anchors += (anchors.empty() ? "" : " ") + a;
        EXPECT_EQ(links, c.links) << c.html;
        EXPECT_EQ(anchors, c.anchors) << c.html;
    }
    EXPECT_EQ(ParsePage("<svg><title>pic</title></svg><title>A&amp;B</title>").Title, "A&B");
    // A tag of a hundred thousand attributes: each is read, the first href counts.
    std::string many = "<a href=first.html";
    for (int i = 0; i < 100000; ++i)
        many += " a" + std::to_string(i) + (i % 2 ? " href=later.html" : "");
    ParsedPage crowded = ParsePage(many + " id=last>");
    ASSERT_EQ(crowded.Links.size(), 1u);
    EXPECT_EQ(crowded.Links[0].Value, "first.html");
    EXPECT_EQ(crowded.Anchors, std::vector<std::string>{"last"});
    EXPECT_EQ(ParsePage("<template><title>T</title></template>").Title, std::nullopt);
}

TEST(PageParserTest, CssReferencesAreTokensNotText) {
    const std::pair<const char*, const char*> cases[] = {
        {"a{background:url(a.png)}", "a.png:1"},
        {"a{b:url( \"b c.png\" ) URL('q.png')}", "b c.png:1 q.png:1"},
        {"/* url(c.png)\n */ url(d.png) content: \"url(e.png)\"", "d.png:2"},
        {"@import \"f.css\";\n@import url(g.css) screen; @import url(\"h.css\")",
         "@f.css:1 @g.css:2 @h.css:2"},
        {"@import \"i.css\" supports(url(j.png)); k{x:url(k.png)}", "@i.css:1 j.png:1 k.png:1"},
        {"@namespace svg url(http://x); myurl(no.png) url(bad\"q.png) url(l.png)", "l.png:1"},
        {"b{x:image-set(\"m.png\" 1x, url(n.png) 2x); y:format(\"no\")}", "m.png:1 n.png:1"},
        {"url(o\\2e png) url(\\(p\\).png) \"cut\n url(r.png)", "o.png:1 (p).png:1 r.png:2"},
        {"x{y:url(s.png", "s.png:1"},
        {"@import \"\"; a{b:url() url(\"\")} c{d:image-set(\"\" 1x)}", ""},
    };
    for (const auto& [css, expected] : cases) {
        std::string found;
        FindCssReferences(css, 1, [&found](CssReference&& ref) {
            found += (found.empty() ? "" : " ") + std::string(ref.Import ? "@" : "") + ref.Value +
                     ":" + std::to_string(ref.Line);
        });
        EXPECT_EQ(found, expected) << css;
    }
}

// What a head tells search engines: only the head counts, and only its
// first 64 KB.
TEST(PageParserTest, HeadTellsSearchEnginesWhatToIndex) {
    struct Case {
        std::string html;
        bool noIndex;
        const char* canonical; // nullptr: none
        const char* alternates;
    };
    const std::string farBody =
        "<head>" + std::string(kHeadBytes, ' ') + "<meta name=robots content=noindex>";
    const Case cases[] = {
        {"<meta name=ROBOTS content=\"index, NoIndex\">", true, nullptr, ""},
        {"<meta name=googlebot content=none><meta name=robots content=noarchive>", true, nullptr,
         ""},
        {"<meta name=otherbot content=noindex><meta name=robots content=nofollow>", false, nullptr,
         ""},
        {"<head></head><meta name=robots content=noindex>", false, nullptr, ""},
        {"<body><meta name=robots content=noindex><link rel=canonical href=b.html>", false, nullptr,
         ""},
        {farBody, false, nullptr, ""},
        {"<link rel=\"Canonical\" href=\"/a.html\"><link rel=canonical href=b.html>", false,
         "/a.html", ""},
        {"<link rel=alternate hreflang=de href=de.html><link rel=alternate hreflang=x-default "
         "href=/><link rel=alternate href=feed.xml><link rel=stylesheet hreflang=fr href=s.css>",
         false, nullptr, "de de.html|x-default /"},
    };
    for (const Case& c : cases) {
        ParsedPage page = ParsePage(c.html);
        std::string alternates;
        for (const auto& [lang, href] : page.Alternates)
            alternates += (alternates.empty() ? "" : "|") + lang + " " + href;
        EXPECT_EQ(page.NoIndex, c.noIndex) << c.html.substr(0, 80);
        EXPECT_EQ(page.Canonical,
                  c.canonical ? std::optional<std::string>(c.canonical) : std::nullopt)
            << c.html.substr(0, 80);
        EXPECT_EQ(alternates, c.alternates) << c.html.substr(0, 80);
    }
}
