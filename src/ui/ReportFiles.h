#pragma once

#include "check/CheckReport.h"

#include <QString>

namespace tw::ui {

// The report files Save Report writes, one for each of the check's report
// formats: the save dialog's filter, and the format a file name's ending
// picks (the longest that fits; text when none does).
QString ReportFileFilter();
ReportFormat ReportFormatOf(const QString& fileName);

} // namespace tw::ui
