#include "check/HtmlReport.h"

#include "check/FindingGroups.h"
#include "check/MarkdownReport.h"
#include "support/NXStrings.h"
#include "support/TextEncoding.h"
#include "support/UrlText.h"

#include <algorithm>
#include <ostream>

namespace tw {

using namespace findings;

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The code point of the valid UTF-8 sequence at I, and its length.
char32_t CodePointAt(std::string_view s, size_t i, size_t& length) {
    const auto c = static_cast<unsigned char>(s[i]);
    auto next = [&](size_t k) { return static_cast<char32_t>(s[i + k]) & 0x3F; };
    if (c < 0x80) {
        length = 1;
        return c;
    }
    if (c < 0xE0) {
        length = 2;
        return (static_cast<char32_t>(c & 0x1F) << 6) | next(1);
    }
    if (c < 0xF0) {
        length = 3;
        return (static_cast<char32_t>(c & 0x0F) << 12) | (next(1) << 6) | next(2);
    }
    length = 4;
    return (static_cast<char32_t>(c & 0x07) << 18) | (next(1) << 12) | (next(2) << 6) | next(3);
}

bool ForbiddenInHtml(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || (cp >= 0xFDD0 && cp <= 0xFDEF) ||
           (cp & 0xFFFE) == 0xFFFE;
}

// The page's style: a light and a dark scheme whose colours keep WCAG's AA
// contrast, and cells that break long names rather than scroll sideways.
constexpr const char* kStyle =
    R"(:root{color-scheme:light dark;--bg:#fff;--fg:#1b1b1b;--muted:#4d4d4d;--link:#0b57d0;--rule:#b8b8b8;--head:#eef0f3}
@media (prefers-color-scheme:dark){:root{--bg:#121417;--fg:#e9e9e9;--muted:#c2c2c2;--link:#8ab4f8;--rule:#5a5f66;--head:#22262b}}
body{margin:0 auto;max-width:80rem;padding:1rem;background:var(--bg);color:var(--fg);font:1rem/1.5 system-ui,-apple-system,"Segoe UI",sans-serif}
a{color:var(--link)}
h1{font-size:1.6rem;margin:.5rem 0}
h2{font-size:1.25rem;margin:1.5rem 0 .5rem}
p{margin:.5rem 0}
table{border-collapse:collapse;width:100%;table-layout:fixed;margin:.5rem 0}
th,td{border:1px solid var(--rule);padding:.25rem .5rem;text-align:start;vertical-align:top;overflow-wrap:anywhere}
thead th{background:var(--head)}
.num{width:4.5rem;text-align:end}
.page{width:35%}
code{font-size:.9em}
.note{color:var(--muted)}
label{margin-inline-end:.5rem}
select{font:inherit;max-width:100%;margin-inline-end:1rem}
.kindcol{width:22%}
)";

// Shows the kind chosen in the list box, in its sections or, ordered by
// page, as one table of their rows with a column naming the kind. Without
// script every section shows, each sorted by page.
constexpr const char* kScript =
    R"((function(){var form=document.getElementById("filter"),box=document.getElementById("kind"),)"
    R"(order=document.getElementById("order"),all=document.getElementById("by-page");)"
    R"(if(!form||!box||!order||!all)return;form.hidden=false;)"
    R"(function key(r){return [r.cells[1].textContent,Number(r.cells[2].textContent)||0];})"
    R"(function show(){var v=box.value,byPage=order.value==="page",rows=[];)"
    R"(document.querySelectorAll("section.kind").forEach(function(s){var on=v===""||s.id===v;)"
    R"(s.hidden=byPage||!on;if(!byPage||!on)return;s.querySelectorAll("tbody tr").forEach(function(r){)"
    R"(var c=r.cloneNode(true),k=document.createElement("td");k.textContent=s.dataset.title;)"
    R"(c.insertBefore(k,c.firstChild);rows.push(c);});});)"
    R"(rows.sort(function(a,b){var x=key(a),y=key(b);)"
    R"(return x[0]<y[0]?-1:x[0]>y[0]?1:x[1]-y[1];});)"
    R"(var body=all.querySelector("tbody");body.replaceChildren.apply(body,rows);all.hidden=!byPage;})"
    R"(box.addEventListener("change",show);order.addEventListener("change",show);})();)";

std::string PageHref(const std::string& siteRoot, const std::string& page) {
    if (siteRoot.empty())
        return EncodeUrlPath(page);
    std::string path = page == "./" ? siteRoot : siteRoot + page;
    return "file://" + EncodeUrlPath(path);
}

} // namespace

std::string HtmlText(std::string_view raw) {
    const std::string text = ValidUtf8(raw);
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size();) {
        size_t length = 1;
        const char32_t cp = CodePointAt(text, i, length);
        if (const char* entity = XmlEntityOf(text[i]); entity != nullptr) {
            out += entity;
        } else if (RunnerMarkAt(text, i)) {
            out += "#&#35;"; // a CI log that shows the file takes no command from it
            length = 2;
        } else if (ForbiddenInHtml(cp)) {
            out += kReplacement;
        } else {
            out.append(text, i, length);
        }
        i += length;
    }
    return out;
}

void WriteHtmlReport(const LinkReport& report, const std::vector<Finding>& findings,
                     const ReportOptions& options, std::ostream& out) {
    const std::vector<std::vector<size_t>> byKind = FindingsByKind(findings);
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        << "<title>Site check report</title>\n<style>\n"
        << kStyle << "</style>\n</head>\n<body>\n<header>\n<h1>Site check report</h1>\n<p>"
        << HtmlText(ReportSummaryLine(report, findings)) << "</p>\n</header>\n<main>\n";
    if (!findings.empty()) {
        // The levels in the order the kinds first name them, with their counts.
        std::vector<std::pair<std::string, size_t>> levels;
        for (size_t k = 0; k < byKind.size(); ++k) {
            if (byKind[k].empty())
                continue;
            auto at = std::find_if(levels.begin(), levels.end(),
                                   [&](const auto& l) { return l.first == kKinds[k].Level; });
            if (at == levels.end())
                levels.emplace_back(kKinds[k].Level, byKind[k].size());
            else
                at->second += byKind[k].size();
        }
        out << "<nav aria-labelledby=\"kinds\">\n<h2 id=\"kinds\">Findings by kind</h2>\n<p>";
        for (size_t l = 0; l < levels.size(); ++l)
            out << (l ? ", " : "") << Count(levels[l].second, "finding", "findings") << " of level "
                << levels[l].first;
        out << ".</p>\n<table>\n<thead><tr><th scope=\"col\">Kind</th>"
            << "<th scope=\"col\">Level</th><th scope=\"col\" class=\"num\">Count</th>"
            << "<th scope=\"col\">Fails the check</th></tr></thead>\n<tbody>\n";
        for (size_t k = 0; k < byKind.size(); ++k) {
            if (byKind[k].empty())
                continue;
            const KindInfo& info = kKinds[k];
            out << "<tr><td><a href=\"#k-" << info.Id << "\">" << HtmlText(info.Title)
                << "</a> <code>" << info.Id << "</code></td><td>" << info.Level
                << "</td><td class=\"num\">" << byKind[k].size() << "</td><td>"
                << (FindingFails(static_cast<FindingKind>(k), options.Strict) ? "yes" : "no")
                << "</td></tr>\n";
        }
        out << "</tbody>\n</table>\n</nav>\n"
            << "<form id=\"filter\" hidden><label for=\"kind\">Show the kind</label>"
            << "<select id=\"kind\"><option value=\"\">All kinds (" << findings.size()
            << ")</option>";
        for (size_t k = 0; k < byKind.size(); ++k)
            if (!byKind[k].empty())
                out << "<option value=\"k-" << kKinds[k].Id << "\">" << HtmlText(kKinds[k].Title)
                    << " (" << byKind[k].size() << ")</option>";
        out << "</select><label for=\"order\">Order</label><select id=\"order\">"
            << "<option value=\"kind\">By kind</option><option value=\"page\">By page</option>"
            << "</select></form>\n";
    }
    // The kinds' words are the program's, yet may name an element ("<img>").
    for (size_t k = 0; k < byKind.size(); ++k) {
        const std::vector<size_t>& list = byKind[k];
        if (list.empty())
            continue;
        const KindInfo& info = kKinds[k];
        out << "<section class=\"kind\" id=\"k-" << info.Id << "\" data-title=\""
            << HtmlText(info.Title) << "\" aria-labelledby=\"h-" << info.Id << "\">\n<h2 id=\"h-"
            << info.Id << "\">" << HtmlText(info.Title) << " (" << list.size()
            << ")</h2>\n<p class=\"note\">" << HtmlText(info.Description) << "</p>\n"
            << "<table>\n<thead><tr><th scope=\"col\" class=\"page\">Page</th>"
            << "<th scope=\"col\" class=\"num\">Line</th><th scope=\"col\">Message</th></tr>"
            << "</thead>\n<tbody>\n";
        for (size_t i : list) {
            const Finding& f = findings[i];
            out << "<tr><td><a href=\"" << HtmlText(PageHref(options.SiteRoot, f.Id.Page)) << "\">"
                << HtmlText(f.Id.Page) << "</a></td><td class=\"num\">";
            if (f.Line > 0)
                out << f.Line;
            out << "</td><td>" << HtmlText(f.Message) << (f.Known ? " (known)" : "")
                << "</td></tr>\n";
        }
        out << "</tbody>\n</table>\n</section>\n";
    }
    if (!findings.empty())
        out << "<section id=\"by-page\" hidden aria-labelledby=\"h-by-page\">\n"
            << "<h2 id=\"h-by-page\">Findings by page</h2>\n<table>\n<thead><tr>"
            << "<th scope=\"col\" class=\"kindcol\">Kind</th><th scope=\"col\" class=\"page\">"
            << "Page</th><th scope=\"col\" class=\"num\">Line</th><th scope=\"col\">Message</th>"
            << "</tr></thead>\n<tbody></tbody>\n</table>\n</section>\n";
    out << "</main>\n<script>" << kScript << "</script>\n</body>\n</html>\n";
}

} // namespace tw
