#include "ScriptedDialogs.h"

using tw::ui::MsgResult;

void ScriptedDialogs::AnswerMessage(MsgResult result) {
    answers_.push_back({Kind::Message, result, {}, false, {}, {}});
}

void ScriptedDialogs::AnswerOpenFiles(QStringList files) {
    answers_.push_back({Kind::OpenFiles, MsgResult::Cancel, std::move(files), false, {}, {}});
}

void ScriptedDialogs::AnswerFolder(QString folder) {
    answers_.push_back({Kind::Folder, MsgResult::Cancel, {}, false, std::move(folder), {}});
}

void ScriptedDialogs::AnswerEditItem(bool ok, QString linkText, QString linkURL) {
    answers_.push_back(
        {Kind::EditItem, MsgResult::Cancel, {}, ok, std::move(linkText), std::move(linkURL)});
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
    Asked a{Kind::Message, caption, text, icon, buttons, {}, {}, {}, {}};
    asked_.push_back(a);
    Answer answer{};
    if (!Take(Kind::Message, caption + QStringLiteral(": ") + text, answer))
        return buttons == tw::ui::MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
    return answer.message;
}

QStringList ScriptedDialogs::openFiles(QWidget*, const tw::ui::OpenFileRequest& request) {
    Asked a{Kind::OpenFiles, request.title, {}, {}, {}, request, {}, {}, {}};
    asked_.push_back(a);
    Answer answer{};
    if (!Take(Kind::OpenFiles, QStringLiteral("open file dialog"), answer))
        return {};
    return answer.files;
}

QString ScriptedDialogs::saveFile(QWidget*, const tw::ui::SaveFileRequest& request) {
    asked_.push_back({Kind::SaveFile, request.title, {}, {}, {}, {}, {}, {}, {}});
    errors_ << QStringLiteral("unexpected save dialog");
    return {};
}

QString ScriptedDialogs::folder(QWidget*, const tw::ui::FolderRequest& request) {
    Asked a{Kind::Folder, request.title, {}, {}, {}, {}, request, {}, {}};
    asked_.push_back(a);
    Answer answer{};
    if (!Take(Kind::Folder, QStringLiteral("folder dialog"), answer))
        return {};
    return answer.text;
}

std::optional<QColor> ScriptedDialogs::colour(QWidget*, const QColor&) {
    asked_.push_back({Kind::Colour, {}, {}, {}, {}, {}, {}, {}, {}});
    errors_ << QStringLiteral("unexpected colour dialog");
    return std::nullopt;
}

bool ScriptedDialogs::openDocument(const QString& target) {
    asked_.push_back({Kind::OpenDocument, {}, target, {}, {}, {}, {}, {}, {}});
    errors_ << QStringLiteral("unexpected document opened: ") + target;
    return false;
}

void ScriptedDialogs::setClipboardText(const QString&) {
    errors_ << QStringLiteral("unexpected clipboard write");
}

bool ScriptedDialogs::editItem(QWidget*, const QString& filePath, QString& linkText,
                               QString& linkURL) {
    asked_.push_back({Kind::EditItem, {}, filePath, {}, {}, {}, {}, linkText, linkURL});
    Answer answer{};
    if (!Take(Kind::EditItem, QStringLiteral("item dialog for ") + filePath, answer))
        return false;
    if (answer.ok) {
        linkText = answer.text;
        linkURL = answer.url;
    }
    return answer.ok;
}
