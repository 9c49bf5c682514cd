#pragma once

#include <QString>

class QWidget;

namespace tw::ui {

class IDialogs;

// Show commands of a shell open request.
inline constexpr int kShowNormal = 1;
inline constexpr int kShowNoActivate = 4;

// Result codes of a shell open request: above 32 is success.
inline constexpr unsigned kShellOk = 42;
inline constexpr unsigned kShellFileNotFound = 2;
inline constexpr unsigned kShellNoAssociation = 31;

// Opens a file or web address with its associated program. Names longer than
// 255 characters are refused with an information box and the code 2; a path
// that does not exist gives 2; any other failure 31.
unsigned ShellOpenFile(IDialogs& dialogs, QWidget* owner, const QString& fileName,
                       const QString& params, const QString& folder, int showCmd);

// The text for a shell result code; codes above 32 and unknown codes take
// the unknown-error text.
QString ShellErrorText(unsigned code);

// Shows "Unable to execute file:" with the code's text when the code is 32
// or less; nothing for a success.
void ReportShellError(IDialogs& dialogs, unsigned code, QWidget* owner);

// ShellOpenFile, then ReportShellError.
void OpenDocument(IDialogs& dialogs, const QString& fileName, QWidget* owner);

} // namespace tw::ui
