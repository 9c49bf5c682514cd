#include "check/MarkdownReport.h"

#include "check/FindingGroups.h"
#include "support/NXStrings.h"
#include "support/TextEncoding.h"

#include <algorithm>
#include <ostream>

namespace tw {

using namespace findings;

std::string MarkdownText(std::string_view raw) {
    static constexpr std::string_view kSpecial = "\\`*_{}[]<>()#+-!|~:@&$^";
    const std::string text = ValidUtf8(raw);
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            out += '?';
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += '?'; // a C1 control
            ++i;
        } else {
            if (kSpecial.find(static_cast<char>(c)) != std::string_view::npos)
                out += '\\';
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string ReportSummaryLine(const LinkReport& report, const std::vector<Finding>& findings) {
    std::string line = Count(report.PageCount, "page", "pages") + ", " +
                       Count(report.LocalLinkCount, "local link", "local links");
    if (report.ExternalChecked)
        line += ", " + Count(report.ExternalUrlCount, "external URL", "external URLs");
    line += " checked. ";
    if (findings.empty())
        return line + "No problems found.";
    const auto known = static_cast<size_t>(
        std::count_if(findings.begin(), findings.end(), [](const Finding& f) { return f.Known; }));
    line += Count(findings.size(), "finding", "findings");
    if (known > 0)
        line += ", " + std::to_string(known) + " known";
    return line + ".";
}

void WriteMarkdownReport(const LinkReport& report, const std::vector<Finding>& findings,
                         bool strict, std::ostream& out) {
    out << "## Site check\n\n" << ReportSummaryLine(report, findings) << "\n";
    const std::vector<std::vector<size_t>> byKind = FindingsByKind(findings);
    if (findings.empty())
        return;
    out << "\n| Kind | Id | Level | Count | Known | Fails the check |\n"
        << "| --- | --- | --- | ---: | ---: | --- |\n";
    for (size_t k = 0; k < byKind.size(); ++k) {
        if (byKind[k].empty())
            continue;
        const auto kind = static_cast<FindingKind>(k);
        const KindInfo& info = kKinds[k];
        const auto known = std::count_if(byKind[k].begin(), byKind[k].end(),
                                         [&](size_t i) { return findings[i].Known; });
        out << "| " << MarkdownText(info.Title) << " | `" << info.Id << "` | " << info.Level
            << " | " << byKind[k].size() << " | " << known << " | "
            << (FindingFails(kind, strict) ? "yes" : "no") << " |\n";
    }
    for (size_t k = 0; k < byKind.size(); ++k) {
        const std::vector<size_t>& list = byKind[k];
        if (list.empty())
            continue;
        out << "\n### " << MarkdownText(kKinds[k].Title) << " (" << list.size() << ")\n\n"
            << "| Page | Line | Message |\n| --- | ---: | --- |\n";
        for (size_t n = 0; n < list.size() && n < kMarkdownRowsPerKind; ++n) {
            const Finding& f = findings[list[n]];
            out << "| " << MarkdownText(f.Id.Page) << " | ";
            if (f.Line > 0)
                out << f.Line;
            out << " | " << MarkdownText(f.Message) << (f.Known ? " (known)" : "") << " |\n";
        }
        if (list.size() > kMarkdownRowsPerKind)
            out << "\nAnd " << (list.size() - kMarkdownRowsPerKind)
                << " more: the other report formats list every one.\n";
    }
}

} // namespace tw
