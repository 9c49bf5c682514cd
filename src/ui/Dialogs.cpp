#include "ui/Dialogs.h"

#include "support/NXFiles.h"
#include "ui/SiteMapItemPropForm.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace tw::ui {

using namespace Qt::StringLiterals;

QStringList QtNameFilters(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        // "*.*" means every file, also those without an extension.
        for (QString& p : patterns)
            if (p == u"*.*"_s)
                p = u"*"_s;
        // Qt lists the patterns itself, in the parentheses it reads them from,
        // so a description's own pattern list would show twice.
        QString description = parts[i].trimmed();
        qsizetype open = description.lastIndexOf(u'(');
        if (open > 0 && description.endsWith(u')'))
            description = description.left(open).trimmed();
        result << description + u" ("_s + patterns.join(u' ') + u')';
    }
    return result;
}

bool IsWebAddress(const QString& target) {
    return target.contains(u"://"_s) || target.startsWith(u"mailto:"_s, Qt::CaseInsensitive);
}

bool IsInsideFolder(const QString& path, const QString& root) {
    if (root.isEmpty())
        return true;
    QString p = QDir::cleanPath(path);
    QString r = QDir::cleanPath(root);
    if (p == r)
        return true;
    if (!r.endsWith(u'/'))
        r += u'/';
    return p.startsWith(r);
}

QString DialogStartFolder(std::initializer_list<std::string> folders) {
    for (const std::string& folder : folders)
        if (!folder.empty() && FolderExists(folder))
            return QString::fromStdString(folder);
    return QDir::homePath();
}

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() <= u'.')
        return message;
    return message + u'.';
}

QtDialogs::QtDialogs() = default;
QtDialogs::~QtDialogs() = default;

MsgResult QtDialogs::messageBox(QWidget* parent, const QString& caption, const QString& text,
                                MsgIcon icon, MsgButtons buttons) {
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MsgButtons::YesNoDefaultNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    }
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    switch (box.standardButton(clicked)) {
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    case QMessageBox::Ok:
        return MsgResult::Ok;
    default:
        // Escape or the close box: No where there is no Cancel, as the
        // platform's Yes-No boxes answer.
        return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoDefaultNo
                   ? MsgResult::No
                   : (buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel);
    }
}

QStringList QtDialogs::openFiles(QWidget* parent, const OpenFileRequest& request) {
    if (!openDialog_) {
        openDialog_ = new QFileDialog(parent);
        openDialog_->setAcceptMode(QFileDialog::AcceptOpen);
        openDialog_->setOption(QFileDialog::ReadOnly, false);
        openDialog_->setSizeGripEnabled(true);
    }
    QFileDialog& dlg = *openDialog_;
    dlg.setWindowTitle(request.title.isEmpty() ? u"Open"_s : request.title);
    dlg.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dlg.setNameFilters(QtNameFilters(request.filter));
    dlg.setDirectory(DialogStartFolder(
        {request.startFolder.toStdString(), ExtractFilePath(request.fileName.toStdString())}));
    if (!request.fileName.isEmpty())
        dlg.selectFile(request.fileName);
    else if (request.multiSelect)
        dlg.selectFile(QString());
    if (dlg.exec() != QDialog::Accepted)
        return {};
    return dlg.selectedFiles();
}

QString QtDialogs::saveFile(QWidget* parent, const SaveFileRequest& request) {
    QFileDialog dlg(parent, request.title);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters(QtNameFilters(request.filter));
    dlg.setDefaultSuffix(request.defaultSuffix);
    // A proposed folder that does not exist (yet) must not leave the user at "/".
    dlg.setDirectory(DialogStartFolder(
        {request.startFolder.toStdString(), ExtractFilePath(request.fileName.toStdString())}));
    if (!request.fileName.isEmpty())
        dlg.selectFile(request.fileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}

QString QtDialogs::folder(QWidget* parent, const FolderRequest& request) {
    QFileDialog dlg(parent, request.title);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ShowDirsOnly, true);
    // The walk leaves hidden folders out anyway, but the user may want to
    // name one to be sure; and only Qt's own dialog can be kept inside a root.
    dlg.setOption(QFileDialog::DontUseNativeDialog, !request.root.isEmpty());
    dlg.setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    QString start = request.start.isEmpty() ? request.root : request.start;
    if (!start.isEmpty())
        dlg.setDirectory(start);
    if (!request.root.isEmpty()) {
        const QString root = request.root;
        QObject::connect(&dlg, &QFileDialog::directoryEntered, &dlg,
                         [&dlg, root](const QString& dir) {
                             if (!IsInsideFolder(dir, root))
                                 dlg.setDirectory(root);
                         });
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    QString chosen = dlg.selectedFiles().constFirst();
    if (!IsInsideFolder(chosen, request.root))
        return {};
    return chosen;
}

std::optional<QColor> QtDialogs::colour(QWidget* parent, const QColor& initial) {
    QColor c = QColorDialog::getColor(initial, parent);
    if (!c.isValid())
        return std::nullopt;
    return c;
}

bool QtDialogs::openDocument(const QString& target) {
    // A relative output file name means the current folder, as it did when
    // the file was written.
    QUrl url = IsWebAddress(target) ? QUrl(target)
                                    : QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    return QDesktopServices::openUrl(url);
}

void QtDialogs::setClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

bool QtDialogs::editItem(QWidget* parent, const QString& filePath, const QString& findings,
                         QString& linkText, QString& linkURL) {
    return EditSiteMapItem(parent, filePath, linkText, linkURL, findings);
}

int QtDialogs::showModal(QDialog& dialog) {
    return dialog.exec();
}

} // namespace tw::ui
