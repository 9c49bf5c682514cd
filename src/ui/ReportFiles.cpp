#include "ui/ReportFiles.h"

#include <QStringList>
#include <array>

namespace tw::ui {

using namespace Qt::StringLiterals;

namespace {

// The report files Save Report writes, in the order of ReportFormatNames:
// the name's ending picks the format.
struct ReportFileType {
    const char* Description;
    const char* Ending;
};
constexpr std::array<ReportFileType, 7> kReportFiles = {{
    {"Text report", ".txt"},
    {"JSON report", ".json"},
    {"JUnit XML report", ".xml"},
    {"SARIF report", ".sarif"},
    {"GitHub Actions commands", ".github.txt"},
    {"Markdown report", ".md"},
    {"HTML report", ".html"},
}};

} // namespace

QString ReportFileFilter() {
    QStringList parts;
    for (const ReportFileType& type : kReportFiles) {
        const QString pattern = u'*' + QString::fromLatin1(type.Ending);
        parts << QString::fromLatin1(type.Description) + u" ("_s + pattern + u')' << pattern;
    }
    return parts.join(u'|');
}

ReportFormat ReportFormatOf(const QString& fileName) {
    const QString lower = fileName.toLower();
    // The longest ending that fits: ".github.txt" before ".txt".
    size_t best = 0;
    int bestLength = 0;
    for (size_t i = 0; i < kReportFiles.size(); ++i) {
        const QString ending = QString::fromLatin1(kReportFiles[i].Ending);
        if (lower.endsWith(ending) && ending.size() > bestLength) {
            best = i;
            bestLength = static_cast<int>(ending.size());
        }
    }
    return ParseReportFormat(ReportFormatNames()[best]).value_or(ReportFormat::Text);
}

} // namespace tw::ui
