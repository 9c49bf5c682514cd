#pragma once

#include <QColor>
#include <QFileDialog>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <optional>
#include <string>

class QDialog;
class QWidget;

namespace tw::ui {

enum class MsgIcon { None, Information, Question, Warning, Error };
// YesNoDefaultNo: a question whose Yes would lose something, so that Enter
// keeps it.
enum class MsgButtons { Ok, YesNo, YesNoCancel, YesNoDefaultNo };
enum class MsgResult { Ok, Yes, No, Cancel };

// Filters are written "Description|*.a;*.b|Description|*.*", the form the
// wizard's texts use; the Qt implementation translates them.
struct OpenFileRequest {
    QString title;
    QString startFolder; // empty: where the dialog was left last time
    QString fileName;    // empty: the name the dialog was left with
    QString filter;
    bool multiSelect = false;
};

struct SaveFileRequest {
    QString title;
    QString startFolder;
    QString fileName;
    QString filter;
    QString defaultSuffix;
};

// Where a file dialog starts: the first of Folders that exists (empty ones
// skipped), else the user's home folder, never the file system's root.
QString DialogStartFolder(std::initializer_list<std::string> folders);

struct FolderRequest {
    QString title;
    QString root;  // the user cannot leave this folder; empty: no limit
    QString start; // the folder selected when the dialog opens
};

// Every modal interaction of the wizard goes through this interface, so that
// tests can answer them from a script.
class IDialogs {
public:
    virtual ~IDialogs() = default;

    virtual MsgResult messageBox(QWidget* parent, const QString& caption, const QString& text,
                                 MsgIcon icon, MsgButtons buttons) = 0;
    // The chosen files with full paths; empty when cancelled.
    virtual QStringList openFiles(QWidget* parent, const OpenFileRequest& request) = 0;
    // Empty when cancelled.
    virtual QString saveFile(QWidget* parent, const SaveFileRequest& request) = 0;
    // The chosen folder; empty when cancelled.
    virtual QString folder(QWidget* parent, const FolderRequest& request) = 0;
    virtual std::optional<QColor> colour(QWidget* parent, const QColor& initial) = 0;
    // Opens a file or web address with its associated program; false when
    // the platform could not.
    virtual bool openDocument(const QString& target) = 0;
    virtual void setClipboardText(const QString& text) = 0;
    // The item properties dialog: true when confirmed, with the edited texts.
    // Findings, one a line, are what the last site check found on the item,
    // shown read-only; empty when there are none.
    virtual bool editItem(QWidget* parent, const QString& filePath, const QString& findings,
                          QString& linkText, QString& linkURL) = 0;
    // Shows a dialog of the program's own modally; its result code.
    virtual int showModal(QDialog& dialog) = 0;
};

// The real dialogs of the platform.
class QtDialogs : public IDialogs {
public:
    QtDialogs();
    ~QtDialogs() override;

    MsgResult messageBox(QWidget* parent, const QString& caption, const QString& text, MsgIcon icon,
                         MsgButtons buttons) override;
    QStringList openFiles(QWidget* parent, const OpenFileRequest& request) override;
    QString saveFile(QWidget* parent, const SaveFileRequest& request) override;
    QString folder(QWidget* parent, const FolderRequest& request) override;
    std::optional<QColor> colour(QWidget* parent, const QColor& initial) override;
    bool openDocument(const QString& target) override;
    void setClipboardText(const QString& text) override;
    bool editItem(QWidget* parent, const QString& filePath, const QString& findings,
                  QString& linkText, QString& linkURL) override;
    int showModal(QDialog& dialog) override;

private:
    // One open dialog for every use, so that it remembers where it was left.
    // Its parent window owns it.
    QPointer<QFileDialog> openDialog_;
};

// "Desc|*.a;*.b|All|*.*" as Qt name filters ("Desc (*.a *.b)").
QStringList QtNameFilters(const QString& filter);

// True for a web address ("scheme://..." or "mailto:"), false for a path.
bool IsWebAddress(const QString& target);

// True when Path is Root or lies below it (both with or without separator).
bool IsInsideFolder(const QString& path, const QString& root);

// The text of the application's standard error box: the message followed by
// "." unless it already ends in "." or a character ordered before it.
QString ErrorBoxText(const QString& message);

} // namespace tw::ui
