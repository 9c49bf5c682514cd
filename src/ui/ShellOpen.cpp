#include "ui/ShellOpen.h"

#include "ui/Dialogs.h"

#include <QFileInfo>

namespace tw::ui {

unsigned ShellOpenFile(IDialogs& dialogs, QWidget* owner, const QString& fileName,
                       const QString& params, const QString& folder, int showCmd) {
    // The desktop opens documents without parameters, working folder or
    // show command; they are kept for callers that pass them.
    (void)params;
    (void)folder;
    (void)showCmd;
    // Characters, not UTF-16 units: a name with an emoji is not cut short.
    if (fileName.toUcs4().size() > 255) {
        dialogs.messageBox(owner, QStringLiteral("Information"),
                           QStringLiteral("The path to the file is too long, please ensure the "
                                          "path is less than 255 characters."),
                           MsgIcon::Information, MsgButtons::Ok);
        return kShellFileNotFound;
    }
    if (!IsWebAddress(fileName) && !QFileInfo::exists(fileName))
        return kShellFileNotFound;
    return dialogs.openDocument(fileName) ? kShellOk : kShellNoAssociation;
}

QString ShellErrorText(unsigned code) {
    switch (code) {
    case 0:
        return QStringLiteral("The operating system is out of memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied access to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred.");
    case 27:
        return QStringLiteral("The filename association is incomplete or invalid.");
    case 28:
        return QStringLiteral(
            "The DDE transaction could not be completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not be completed because other DDE "
                              "transactions were being processed.");
    case 31:
        return QStringLiteral("There is no application associated with the given filename "
                              "extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral(
            "An unknown error occurred when trying to load file in associated application.");
    }
}

void ReportShellError(IDialogs& dialogs, unsigned code, QWidget* owner) {
    if (code > 32)
        return;
    dialogs.messageBox(owner, QStringLiteral("Error"),
                       QStringLiteral("Unable to execute file:\n\n") + ShellErrorText(code),
                       MsgIcon::Warning, MsgButtons::Ok);
}

void OpenDocument(IDialogs& dialogs, const QString& fileName, QWidget* owner) {
    unsigned code = ShellOpenFile(dialogs, owner, fileName, QString(), QString(), kShowNoActivate);
    ReportShellError(dialogs, code, owner);
}

} // namespace tw::ui
