#include "ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDialog>

using tw::ui::MsgResult;

void ScriptedDialogs::AnswerMessage(MsgResult result) {
    answers_.push_back({Kind::Message, result, {}, false, {}, {}, {}, {}});
}

void ScriptedDialogs::AnswerOpenFiles(QStringList files) {
    answers_.push_back(
        {Kind::OpenFiles, MsgResult::Cancel, std::move(files), false, {}, {}, {}, {}});
}

void ScriptedDialogs::AnswerFolder(QString folder) {
    answers_.push_back({Kind::Folder, MsgResult::Cancel, {}, false, std::move(folder), {}, {}, {}});
}

void ScriptedDialogs::AnswerEditItem(bool ok, QString linkText, QString linkURL) {
    answers_.push_back({Kind::EditItem,
                        MsgResult::Cancel,
                        {},
                        ok,
                        std::move(linkText),
                        std::move(linkURL),
                        {},
                        {}});
}

void ScriptedDialogs::AnswerSaveFile(QString file) {
    Answer a{Kind::SaveFile, MsgResult::Cancel, {}, false, std::move(file), {}, {}, {}};
    answers_.push_back(a);
}

void ScriptedDialogs::AnswerColour(QColor colour) {
    answers_.push_back({Kind::Colour, MsgResult::Cancel, {}, false, {}, {}, colour, {}});
}

void ScriptedDialogs::AnswerOpenDocument(bool opened) {
    answers_.push_back({Kind::OpenDocument, MsgResult::Cancel, {}, opened, {}, {}, {}, {}});
}

void ScriptedDialogs::AnswerModal(ModalAction action) {
    answers_.push_back({Kind::Modal, MsgResult::Cancel, {}, false, {}, {}, {}, std::move(action)});
}

QString ScriptedDialogs::Report() const {
    QStringList lines = errors_;
    if (!answers_.empty())
        lines << QStringLiteral("%1 scripted answer(s) not used").arg(answers_.size());
    return lines.join(QLatin1Char('\n'));
}

void ScriptedDialogs::Reset() {
    answers_.clear();
    asked_.clear();
    errors_.clear();
    clipboard_.clear();
    clipboardWrites_ = 0;
}

bool ScriptedDialogs::Take(Kind kind, const QString& what, Answer& answer) {
    if (answers_.empty()) {
        errors_ << QStringLiteral("unexpected dialog: ") + what;
        return false;
    }
    if (answers_.front().kind != kind) {
        errors_ << QStringLiteral("dialog of another kind than scripted: ") + what;
        answers_.pop_front();
        return false;
    }
    answer = answers_.front();
    answers_.pop_front();
    return true;
}

MsgResult ScriptedDialogs::messageBox(QWidget*, const QString& caption, const QString& text,
                                      tw::ui::MsgIcon icon, tw::ui::MsgButtons buttons) {
    Asked a{Kind::Message, caption, text, icon, buttons, {}, {}, {}, {}, {}, {}};
    asked_.push_back(a);
    Answer answer{};
    if (!Take(Kind::Message, caption + QStringLiteral(": ") + text, answer))
        return buttons == tw::ui::MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
    return answer.message;
}

QStringList ScriptedDialogs::openFiles(QWidget*, const tw::ui::OpenFileRequest& request) {
    Asked a{Kind::OpenFiles, request.title, {}, {}, {}, request, {}, {}, {}, {}, {}};
    asked_.push_back(a);
    Answer answer{};
    if (!Take(Kind::OpenFiles, QStringLiteral("open file dialog"), answer))
        return {};
    return answer.files;
}

QString ScriptedDialogs::saveFile(QWidget*, const tw::ui::SaveFileRequest& request) {
    Asked a{Kind::SaveFile, request.title, {}, {}, {}, {}, {}, {}, {}, request, {}};
    asked_.push_back(a);
    Answer answer{};
    if (!Take(Kind::SaveFile, QStringLiteral("save dialog ") + request.title, answer))
        return {};
    return answer.text;
}

QString ScriptedDialogs::folder(QWidget*, const tw::ui::FolderRequest& request) {
    Asked a{Kind::Folder, request.title, {}, {}, {}, {}, request, {}, {}, {}, {}};
    asked_.push_back(a);
    Answer answer{};
    if (!Take(Kind::Folder, QStringLiteral("folder dialog"), answer))
        return {};
    return answer.text;
}

std::optional<QColor> ScriptedDialogs::colour(QWidget*, const QColor& initial) {
    asked_.push_back({Kind::Colour, {}, initial.name(), {}, {}, {}, {}, {}, {}, {}, {}});
    Answer answer{};
    if (!Take(Kind::Colour, QStringLiteral("colour dialog"), answer) || !answer.colour.isValid())
        return std::nullopt;
    return answer.colour;
}

bool ScriptedDialogs::openDocument(const QString& target) {
    asked_.push_back({Kind::OpenDocument, {}, target, {}, {}, {}, {}, {}, {}, {}, {}});
    Answer answer{};
    if (!Take(Kind::OpenDocument, QStringLiteral("document opened: ") + target, answer))
        return false;
    return answer.ok;
}

void ScriptedDialogs::setClipboardText(const QString& text) {
    clipboard_ = text;
    ++clipboardWrites_;
}

int ScriptedDialogs::showModal(QDialog& dialog) {
    asked_.push_back(
        {Kind::Modal, dialog.windowTitle(), dialog.objectName(), {}, {}, {}, {}, {}, {}, {}, {}});
    Answer answer{};
    if (!Take(Kind::Modal, QStringLiteral("dialog ") + dialog.objectName(), answer))
        return QDialog::Rejected;
    // Shown for real, without a nested loop: the action looks and clicks.
    dialog.show();
    QCoreApplication::processEvents();
    int result = answer.modal ? answer.modal(dialog) : QDialog::Rejected;
    dialog.hide();
    return result;
}

bool ScriptedDialogs::editItem(QWidget*, const QString& filePath, const QString& findings,
                               QString& linkText, QString& linkURL) {
    asked_.push_back(
        {Kind::EditItem, {}, filePath, {}, {}, {}, {}, linkText, linkURL, {}, findings});
    Answer answer{};
    if (!Take(Kind::EditItem, QStringLiteral("item dialog for ") + filePath, answer))
        return false;
    if (answer.ok) {
        linkText = answer.text;
        linkURL = answer.url;
    }
    return answer.ok;
}
