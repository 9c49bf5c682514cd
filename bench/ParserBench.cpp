// Measures the check's page parser against gumbo and libxml2 on the pages
// of a folder: every page is read into memory once, then each parser parses
// them all a few times; it prints throughput, what each one found, and on
// how many pages that differs from ours.
//
//   parser_bench [--repeat N] FOLDER
//   parser_bench --cases        tricky pages and what each parser takes out

#include "model/PageParser.h"
#include "parsers/Parsers.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using bench::Link;
using bench::PageResult;

// Ours, in the shape of the others. Only the link kinds every parser looks
// at are compared; the rest (CSS, meta refresh) are counted apart.
PageResult FromOurs(const tw::ParsedPage& parsed, size_t* otherKinds = nullptr) {
    PageResult page;
    page.Parsed = true; // ours parses every page whole
    for (const tw::PageLink& link : parsed.Links) {
        if (link.Source == tw::LinkSource::Attribute &&
            bench::IsLinkAttribute(link.Tag, link.Attribute))
            page.Links.push_back({link.Tag, link.Attribute, link.Value});
        else if (otherKinds)
            ++*otherKinds;
    }
    page.Anchors = parsed.Anchors;
    page.Title = parsed.Title;
    page.Base = parsed.Base;
    return page;
}

PageResult ParseOurs(std::string_view html) {
    return FromOurs(tw::ParsePage(html));
}

struct Parser {
    const char* Name;
    std::function<PageResult(std::string_view)> Parse;
};

using LinkSet = std::multiset<std::tuple<std::string, std::string, std::string>>;

LinkSet LinksOf(const PageResult& page) {
    LinkSet links;
    for (const Link& l : page.Links)
        links.emplace(l.Tag, l.Attribute, l.Value);
    return links;
}

std::set<std::string> AnchorsOf(const PageResult& page) {
    return {page.Anchors.begin(), page.Anchors.end()};
}

struct Pages {
    std::vector<std::string> Texts;
    size_t Bytes = 0;
};

bool IsPage(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".html" || ext == ".htm";
}

Pages ReadPages(const std::filesystem::path& root) {
    Pages pages;
    std::vector<std::filesystem::path> paths;
    std::error_code error;
    namespace fs = std::filesystem;
    for (fs::recursive_directory_iterator
             it(root, fs::directory_options::skip_permission_denied, error),
         end;
         it != end; it.increment(error)) {
        if (error)
            break;
        if (it->is_regular_file(error) && IsPage(it->path()))
            paths.push_back(it->path());
    }
    // The same order on every run, whatever the file system lists first.
    std::sort(paths.begin(), paths.end());
    for (const fs::path& path : paths) {
        std::ifstream in(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        pages.Bytes += text.size();
        pages.Texts.push_back(std::move(text));
    }
    return pages;
}

struct Totals {
    size_t Links = 0, Anchors = 0, Titles = 0, Unparsed = 0;
};

int RunFolder(const std::filesystem::path& root, int repeats) {
    Pages pages = ReadPages(root);
    if (pages.Texts.empty()) {
        std::fprintf(stderr, "parser_bench: no *.html or *.htm under %s\n", root.c_str());
        return 1;
    }
    double mb = static_cast<double>(pages.Bytes) / 1e6;
    std::printf("%zu pages, %.1f MB, %d runs each (best and median)\n", pages.Texts.size(), mb,
                repeats);
    const Parser parsers[] = {
        {"ours", ParseOurs}, {"gumbo", bench::GumboParse}, {"libxml2", bench::Libxml2Parse}};

    // Page by page, apart from the timed runs, so that no run holds every
    // page's results at once.
    size_t differ[3][3] = {};
    size_t differAny[3] = {};
    size_t otherKinds = 0;
    for (const std::string& text : pages.Texts) {
        PageResult ours = FromOurs(tw::ParsePage(text), &otherKinds);
        LinkSet ourLinks = LinksOf(ours);
        std::set<std::string> ourAnchors = AnchorsOf(ours);
        for (size_t p = 1; p < std::size(parsers); ++p) {
            PageResult other = parsers[p].Parse(text);
            bool links = LinksOf(other) != ourLinks;
            bool anchors = AnchorsOf(other) != ourAnchors;
            bool title = other.Title != ours.Title;
            differ[p][0] += links;
            differ[p][1] += anchors;
            differ[p][2] += title;
            differAny[p] += links || anchors || title;
        }
    }

    for (size_t p = 0; p < std::size(parsers); ++p) {
        std::vector<double> seconds;
        Totals totals;
        for (int r = 0; r < repeats; ++r) {
            Totals run;
            auto start = std::chrono::steady_clock::now();
            for (const std::string& text : pages.Texts) {
                PageResult page = parsers[p].Parse(text);
                run.Links += page.Links.size();
                run.Anchors += page.Anchors.size();
                run.Titles += page.Title.has_value();
                run.Unparsed += !page.Parsed;
            }
            seconds.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            totals = run;
        }
        std::sort(seconds.begin(), seconds.end());
        double best = seconds.front();
        double median = seconds[seconds.size() / 2];
        if (seconds.size() % 2 == 0)
            median = (seconds[seconds.size() / 2 - 1] + median) / 2;
        std::printf("%-8s %8.1f MB/s | best %.3f s, median %.3f s | links %zu, anchors %zu, "
                    "titles %zu",
                    parsers[p].Name, mb / best, best, median, totals.Links, totals.Anchors,
                    totals.Titles);
        if (totals.Unparsed)
            std::printf(", not parsed %zu", totals.Unparsed);
        if (p == 0)
            std::printf(" | other link kinds %zu\n", otherKinds);
        else
            std::printf(" | pages differing from ours %zu (links %zu, anchors %zu, titles %zu)\n",
                        differAny[p], differ[p][0], differ[p][1], differ[p][2]);
    }
    return 0;
}

// A tricky page and what an HTML5 browser takes out of it.
struct Case {
    const char* Name;
    const char* Html;
    std::vector<const char*> Links; // values, in any order
    std::vector<const char*> Anchors;
    const char* Title; // nullptr: none
};

std::string Describe(const PageResult& got, const Case& c) {
    std::multiset<std::string> want(c.Links.begin(), c.Links.end()), have;
    for (const Link& l : got.Links)
        have.insert(l.Value);
    std::string out;
    auto add = [&out](const std::string& part) { out += (out.empty() ? "" : "; ") + part; };
    for (const std::string& v : std::set<std::string>(have.begin(), have.end()))
        if (have.count(v) > want.count(v))
            add("link +" + v);
    for (const std::string& v : std::set<std::string>(want.begin(), want.end()))
        if (want.count(v) > have.count(v))
            add("link -" + v);
    std::set<std::string> wantAnchors(c.Anchors.begin(), c.Anchors.end());
    std::set<std::string> haveAnchors = AnchorsOf(got);
    for (const std::string& a : haveAnchors)
        if (!wantAnchors.count(a))
            add("anchor +" + a);
    for (const std::string& a : wantAnchors)
        if (!haveAnchors.count(a))
            add("anchor -" + a);
    std::optional<std::string> wantTitle;
    if (c.Title)
        wantTitle = c.Title;
    if (got.Title != wantTitle)
        add("title " + (got.Title ? "\"" + *got.Title + "\"" : std::string("none")));
    return out.empty() ? "ok" : out;
}

int RunCases() {
    const Case cases[] = {
        {"template contents",
         "<template><a href=t.html id=tid>x</a></template><a href=r.html>",
         {"r.html"},
         {},
         nullptr},
        {"svg title", "<body><svg><title>Icon</title></svg><title>Real</title>", {}, {}, "Real"},
        {"svg title only", "<svg><title>Icon</title></svg><p>", {}, {}, nullptr},
        {"comment", "<!-- <a href=c.html> --><a href=r.html>", {"r.html"}, {}, nullptr},
        {"empty comment <!-->", "<!--><a href=r.html id=after>", {"r.html"}, {"after"}, nullptr},
        {"script text",
         "<script>document.write('<a href=\"s.html\">')</script><a href=r.html>",
         {"r.html"},
         {},
         nullptr},
        {"style text",
         "<style>/* <a href=x.html> */</style><a href=r.html>",
         {"r.html"},
         {},
         nullptr},
        {"textarea text", "<textarea><a href=ta.html></textarea>", {}, {}, nullptr},
        {"xmp text", "<xmp><a href=x.html></xmp>", {}, {}, nullptr},
        {"plaintext", "<plaintext><a href=p.html>", {}, {}, nullptr},
        {"markup in title", "<title>A <b>bold</b> one</title>", {}, {}, "A <b>bold</b> one"},
        {"reference in title", "<title>A &amp; B &lt;C&gt;</title>", {}, {}, "A & B <C>"},
        {"&copy= in href", "<a href=\"p.html?a=1&copy=2\">", {"p.html?a=1&copy=2"}, {}, nullptr},
        {"&amp; in href", "<a href=\"p.html?a=1&amp;b=2\">", {"p.html?a=1&b=2"}, {}, nullptr},
        {"upper case", "<A HREF=\"up.html\" ID=\"Up\">", {"up.html"}, {"Up"}, nullptr},
        {"repeated attribute", "<a href=first.html href=second.html>", {"first.html"}, {}, nullptr},
        {"name on a only",
         "<a name=n1></a><div name=n2></div><span id=s1>",
         {},
         {"n1", "s1"},
         nullptr},
        {"srcset",
         "<img src=a.png srcset=\"b.png 1x,c.png 2x\">",
         {"a.png", "b.png", "c.png"},
         {},
         nullptr},
        {"picture source",
         "<picture><source srcset=\"w.webp\"><img src=i.png></picture>",
         {"w.webp", "i.png"},
         {},
         nullptr},
        {"input image",
         "<input type=image src=go.png><input type=text src=no.png>",
         {"go.png"},
         {},
         nullptr},
        {"video, track",
         "<video poster=p.jpg><source src=v.mp4><track src=t.vtt></video>",
         {"p.jpg", "v.mp4", "t.vtt"},
         {},
         nullptr},
        {"object, embed",
         "<object data=o.svg></object><embed src=e.swf>",
         {"o.svg", "e.swf"},
         {},
         nullptr},
        {"title after body", "<body><p>x</p><title>late</title>", {}, {}, "late"},
        {"a in table text",
         "<table><a href=t.html>x</a><tr><td>1</table>",
         {"t.html"},
         {},
         nullptr},
        {"unclosed attribute quote", "<a href=\"r.html>x</a><a href=s.html>", {}, {}, nullptr},
    };
    const Parser parsers[] = {
        {"ours", ParseOurs}, {"gumbo", bench::GumboParse}, {"libxml2", bench::Libxml2Parse}};
    size_t wrong[3] = {};
    std::printf("%-26s %-22s %-22s %s\n", "case", "ours", "gumbo", "libxml2");
    for (const Case& c : cases) {
        std::printf("%-26s", c.Name);
        for (size_t p = 0; p < std::size(parsers); ++p) {
            std::string cell = Describe(parsers[p].Parse(c.Html), c);
            wrong[p] += cell != "ok";
            std::printf(p + 1 < std::size(parsers) ? " %-22s" : " %s\n", cell.c_str());
        }
    }
    std::printf("%-26s", "cases taken wrongly");
    for (size_t p = 0; p < std::size(parsers); ++p)
        std::printf(" %-22s",
                    (std::to_string(wrong[p]) + " of " + std::to_string(std::size(cases))).c_str());
    std::printf("\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int repeats = 3;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--cases")
            return RunCases();
        if (a == "--repeat" && i + 1 < argc)
            repeats = std::max(1, std::atoi(argv[++i]));
        else
            folder = a;
    }
    if (folder.empty()) {
        std::fprintf(stderr, "usage: parser_bench [--repeat N] FOLDER | parser_bench --cases\n");
        return 2;
    }
    return RunFolder(folder, repeats);
}
