#include "check/CheckReport.h"

#include "check/CiReports.h"
#include "check/HtmlReport.h"
#include "check/MarkdownReport.h"
#include "check/TextReport.h"

#include <algorithm>

namespace tw {

using findings::KnownEntries;

const std::vector<std::string>& ReportFormatNames() {
    static const std::vector<std::string> names = {"text",   "json",     "junit", "sarif",
                                                   "github", "markdown", "html"};
    return names;
}

std::optional<ReportFormat> ParseReportFormat(std::string_view name) {
    const auto& names = ReportFormatNames();
    auto it = std::find(names.begin(), names.end(), name);
    if (it == names.end())
        return std::nullopt;
    return static_cast<ReportFormat>(it - names.begin());
}

void WriteReport(const LinkReport& report, const ReportOptions& options, std::ostream& out) {
    switch (options.Format) {
    case ReportFormat::Text:
        WriteTextReport(report, KnownEntries(report, options.Known), options, out);
        break;
    case ReportFormat::Json:
        WriteJsonReport(report, KnownEntries(report, options.Known), out, options.Strict);
        break;
    case ReportFormat::Junit:
        WriteJunitReport(report, ListFindings(report, options), out, options.Strict);
        break;
    case ReportFormat::Sarif:
        WriteSarifReport(ListFindings(report, options), options, out);
        break;
    case ReportFormat::Github:
        WriteGithubReport(ListFindings(report, options), options, out);
        break;
    case ReportFormat::Markdown:
        WriteMarkdownReport(report, ListFindings(report, options), options.Strict, out);
        break;
    case ReportFormat::Html:
        WriteHtmlReport(report, ListFindings(report, options), options, out);
        break;
    }
}

} // namespace tw
