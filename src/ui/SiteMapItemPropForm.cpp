#include "ui/SiteMapItemPropForm.h"

#include "ui/Controls.h"
#include "ui/PathLabel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw::ui {

using namespace Qt::StringLiterals;

TfrmSiteMapItemProp::TfrmSiteMapItemProp(QWidget* parent) : QDialog(parent) {
    setObjectName(u"frmSiteMapItemProp"_s);
    setWindowTitle(u"Edit Site Map Item"_s);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* group = new QGroupBox(u"Selected Link Properties"_s);
    group->setObjectName(u"gbSelection"_s);
    QLabel* fileCaption = nullptr;
    lblLinkFileName_ = MakeFileRow(fileCaption);
    editLinkText_ = new QLineEdit;
    editLinkText_->setObjectName(u"editLinkText"_s);
    auto* textCaption = new QLabel(u"Link &Text:"_s);
    textCaption->setObjectName(u"Label13"_s);
    SetBuddy(textCaption, editLinkText_);
    editLinkURL_ = new QLineEdit;
    editLinkURL_->setObjectName(u"editLinkURL"_s);
    auto* urlCaption = new QLabel(u"Link &URL:"_s);
    urlCaption->setObjectName(u"Label12"_s);
    SetBuddy(urlCaption, editLinkURL_);

    auto* grid = new QGridLayout(group);
    grid->addWidget(fileCaption, 0, 0);
    grid->addWidget(lblLinkFileName_, 0, 1);
    grid->addWidget(textCaption, 1, 0);
    grid->addWidget(editLinkText_, 1, 1);
    grid->addWidget(urlCaption, 2, 0);
    grid->addWidget(editLinkURL_, 2, 1);
    // What the last site check found on the item: to read, not to edit.
    memoFindings_ = new QPlainTextEdit;
    memoFindings_->setObjectName(u"memoFindings"_s);
    memoFindings_->setReadOnly(true);
    memoFindings_->setFixedHeight(memoFindings_->fontMetrics().lineSpacing() * 4 + 10);
    findingsCaption_ = new QLabel(u"Check &Findings:"_s);
    findingsCaption_->setObjectName(u"lblItemFindings"_s);
    findingsCaption_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetBuddy(findingsCaption_, memoFindings_);
    grid->addWidget(findingsCaption_, 3, 0);
    grid->addWidget(memoFindings_, 3, 1);
    memoFindings_->hide();
    findingsCaption_->hide();
    grid->setColumnStretch(1, 1);

    auto* ok = new QPushButton(u"OK"_s);
    ok->setObjectName(u"btnOk"_s);
    auto* cancel = new QPushButton(u"Cancel"_s);
    cancel->setObjectName(u"btnCancel"_s);
    // Enter in the fields has its own meaning; no button is pressed by it.
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    setTabOrder(editLinkText_, editLinkURL_);
    setTabOrder(editLinkURL_, ok);
    setTabOrder(ok, cancel);
    setTabOrder(cancel, memoFindings_);
    editLinkText_->installEventFilter(this);
    editLinkURL_->installEventFilter(this);
    editLinkText_->setFocus();

    resize(538, 159);
    FitHeight();
}

void TfrmSiteMapItemProp::FitHeight() {
    setMaximumHeight(QWIDGETSIZE_MAX);
    setMinimumSize(420, sizeHint().height());
    // Only the width may change, for long paths and URLs.
    setMaximumHeight(sizeHint().height());
    resize(width(), sizeHint().height());
}

void TfrmSiteMapItemProp::SetItem(const QString& filePath, const QString& linkText,
                                  const QString& linkURL, const QString& findings) {
    lblLinkFileName_->setPath(filePath);
    editLinkText_->setText(linkText);
    editLinkURL_->setText(linkURL);
    memoFindings_->setPlainText(findings);
    const bool shown = !findings.isEmpty();
    if (shown == memoFindings_->isVisibleTo(this))
        return;
    memoFindings_->setVisible(shown);
    findingsCaption_->setVisible(shown);
    FitHeight();
}

QString TfrmSiteMapItemProp::Findings() const {
    return memoFindings_->isVisibleTo(this) ? memoFindings_->toPlainText() : QString();
}

QString TfrmSiteMapItemProp::LinkText() const {
    return editLinkText_->text();
}
QString TfrmSiteMapItemProp::LinkURL() const {
    return editLinkURL_->text();
}

bool TfrmSiteMapItemProp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (watched == editLinkText_) {
                editLinkURL_->setFocus();
                editLinkURL_->selectAll();
                return true;
            }
            if (watched == editLinkURL_) {
                accept();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool EditSiteMapItem(QWidget* owner, const QString& filePath, QString& linkText, QString& linkURL,
                     const QString& findings) {
    try {
        TfrmSiteMapItemProp dialog(owner);
        dialog.SetItem(filePath, linkText, linkURL, findings);
        // A field may show less than it was given (a line edit holds at most
        // 32,767 characters): one left as shown gives back what it was given.
        const QString shownText = dialog.LinkText();
        const QString shownURL = dialog.LinkURL();
        if (dialog.exec() != QDialog::Accepted)
            return false;
        if (dialog.LinkText() != shownText)
            linkText = dialog.LinkText();
        if (dialog.LinkURL() != shownURL)
            linkURL = dialog.LinkURL();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace tw::ui
