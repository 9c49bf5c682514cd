#pragma once

#include "ui/Dialogs.h"

#include <QStringList>
#include <QVector>
#include <deque>
#include <functional>

// Answers the wizard's dialogs from a script. Every question is recorded;
// a question without a matching scripted answer is recorded as an error and
// answered as if cancelled. Each test ends by checking Finished().
class ScriptedDialogs : public tw::ui::IDialogs {
public:
    enum class Kind { Message, OpenFiles, SaveFile, Folder, Colour, OpenDocument, EditItem, Modal };
    // Runs on a program dialog while it is shown; its result is the dialog's.
    using ModalAction = std::function<int(QDialog&)>;

    struct Asked {
        Kind kind;
        QString caption;
        QString text;
        tw::ui::MsgIcon icon = tw::ui::MsgIcon::None;
        tw::ui::MsgButtons buttons = tw::ui::MsgButtons::Ok;
        tw::ui::OpenFileRequest open;
        tw::ui::FolderRequest folder;
        QString linkText;
        QString linkURL;
        tw::ui::SaveFileRequest save;
        QString findings; // the item dialog's findings text
    };

    void AnswerMessage(tw::ui::MsgResult result);
    void AnswerOpenFiles(QStringList files); // empty: cancelled
    void AnswerFolder(QString folder);       // empty: cancelled
    void AnswerEditItem(bool ok, QString linkText = {}, QString linkURL = {});
    void AnswerSaveFile(QString file); // empty: cancelled
    void AnswerColour(QColor colour);  // invalid: cancelled
    // Whether the desktop manages to open the next document.
    void AnswerOpenDocument(bool opened);
    void AnswerModal(ModalAction action);

    // The text last put on the clipboard, and how many times it was.
    const QString& Clipboard() const { return clipboard_; }
    int ClipboardWrites() const { return clipboardWrites_; }

    // True when every scripted answer was used and nothing unexpected asked.
    bool Finished() const { return answers_.empty() && errors_.isEmpty(); }
    QString Report() const;
    const QVector<Asked>& AskedSoFar() const { return asked_; }
    const Asked& Last() const { return asked_.back(); }
    int Pending() const { return static_cast<int>(answers_.size()); }
    void Reset();

    tw::ui::MsgResult messageBox(QWidget* parent, const QString& caption, const QString& text,
                                 tw::ui::MsgIcon icon, tw::ui::MsgButtons buttons) override;
    QStringList openFiles(QWidget* parent, const tw::ui::OpenFileRequest& request) override;
    QString saveFile(QWidget* parent, const tw::ui::SaveFileRequest& request) override;
    QString folder(QWidget* parent, const tw::ui::FolderRequest& request) override;
    std::optional<QColor> colour(QWidget* parent, const QColor& initial) override;
    bool openDocument(const QString& target) override;
    void setClipboardText(const QString& text) override;
    bool editItem(QWidget* parent, const QString& filePath, const QString& findings,
                  QString& linkText, QString& linkURL) override;
    int showModal(QDialog& dialog) override;

private:
    struct Answer {
        Kind kind;
        tw::ui::MsgResult message = tw::ui::MsgResult::Cancel;
        QStringList files;
        bool ok = false;
        QString text;
        QString url;
        QColor colour;
        ModalAction modal;
    };
    // The next answer when it is of the kind asked; otherwise an error.
    bool Take(Kind kind, const QString& what, Answer& answer);

    std::deque<Answer> answers_;
    QVector<Asked> asked_;
    QStringList errors_;
    QString clipboard_;
    int clipboardWrites_ = 0;
};
