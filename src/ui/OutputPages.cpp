#include "ui/OutputPages.h"

#include "ui/Controls.h"
#include "ui/Text.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tw::ui {

using namespace Qt::StringLiterals;

OutputSettingsPage::OutputSettingsPage(TMapProfile& profile, QWidget* parent)
    : QWidget(parent), profile_(profile) {
    setObjectName(u"tsOutputSettings"_s);
    editOutputFile_ = new QLineEdit;
    editOutputFile_->setObjectName(u"editOutputFile"_s);
    btnOutputFileBrowse_ = MakeButton(u"Browse..."_s, u"btnOutputFileBrowse"_s, 10);
    auto* caption = new QLabel(u"&Output File:"_s);
    caption->setObjectName(u"lblOutputFile"_s);
    SetBuddy(caption, editOutputFile_);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 10, 12, 8);
    grid->setVerticalSpacing(4);
    grid->addWidget(caption, 0, 0, 1, 2);
    grid->addWidget(editOutputFile_, 1, 0);
    grid->addWidget(btnOutputFileBrowse_, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(2, 1);

    connect(editOutputFile_, &QLineEdit::textChanged, this,
            [this](const QString& text) { profile_.SetOutputFileName(ToStd(text)); });
}

QList<QAbstractButton*> OutputSettingsPage::Buttons() const {
    return {btnOutputFileBrowse_};
}

void OutputSettingsPage::SetOutputFileText(const QString& fileName) {
    editOutputFile_->setText(fileName);
}

void OutputSettingsPage::FocusOutputFile() {
    editOutputFile_->setFocus();
}

OutputStatusPage::OutputStatusPage(QWidget* parent) : QWidget(parent) {
    setObjectName(u"tsOutputStatus"_s);
}

} // namespace tw::ui
