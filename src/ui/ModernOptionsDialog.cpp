#include "ui/ModernOptionsDialog.h"

#include "output/SitemapURLStyle.h"
#include "ui/Controls.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cstdint>

namespace tw::ui {

using namespace Qt::StringLiterals;

TfrmModernOptions::TfrmModernOptions(const TMapProfile& profile, QWidget* parent)
    : QDialog(parent) {
    setObjectName(u"frmModernOptions"_s);
    setWindowTitle(u"Modern Page Options"_s);

    editPageLang_ = MakeEdit(ToQ(profile.PageLang()), u"editPageLang"_s,
                             u"automatic: the index page's, else en"_s);
    lblLangProblem_ = new QLabel(u"Not a language tag such as en, de or pt-BR"_s);
    lblLangProblem_->setObjectName(u"lblLangProblem"_s);
    lblLangProblem_->setStyleSheet(u"color: #b00000"_s);
    editPageTitle_ = MakeEdit(ToQ(profile.PageTitle()), u"editPageTitle"_s, ToQ(kDefaultPageTitle));
    chkCollapsible_ =
        MakeCheckBox(u"&Collapsible folders"_s, u"chkCollapsible"_s, profile.Collapsible());
    chkFilterBox_ =
        MakeCheckBox(u"&Filter box over the list"_s, u"chkFilterBox"_s, profile.FilterBox());
    chkCredit_ =
        MakeCheckBox(u"C&redit line under the list"_s, u"chkCredit"_s, !profile.NoCredit());

    auto* grid = new QGridLayout;
    grid->addWidget(MakeCaption(u"&Language:"_s, u"lblPageLang"_s, editPageLang_), 0, 0);
    grid->addWidget(editPageLang_, 0, 1);
    grid->addWidget(lblLangProblem_, 1, 1);
    grid->addWidget(MakeCaption(u"Page &title:"_s, u"lblPageTitle"_s, editPageTitle_), 2, 0);
    grid->addWidget(editPageTitle_, 2, 1);
    int row = 3;
    for (QCheckBox* check : {chkCollapsible_, chkFilterBox_, chkCredit_})
        grid->addWidget(check, row++, 0, 1, 2);
    // Paging: at most this many links a page, 0 for one page.
    spinMaxLinks_ = new QSpinBox;
    spinMaxLinks_->setObjectName(u"spinMaxLinks"_s);
    spinMaxLinks_->setRange(0, INT32_MAX);
    spinMaxLinks_->setSpecialValueText(u"one page"_s);
    spinMaxLinks_->setSuffix(u" links a page"_s);
    spinMaxLinks_->setValue(profile.MaxLinks());
    spinMaxLinks_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    grid->addWidget(MakeCaption(u"S&plit into pages:"_s, u"lblMaxLinks"_s, spinMaxLinks_), row, 0);
    grid->addWidget(spinMaxLinks_, row++, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons_->setObjectName(u"bbModernOptions"_s);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addWidget(buttons_);

    connect(editPageLang_, &QLineEdit::textChanged, this, &TfrmModernOptions::UpdateState);
    UpdateState();
    setMinimumWidth(420);
}

void TfrmModernOptions::UpdateState() {
    // The core's rule, as the command line's --lang checks it.
    const std::string lang = ToStd(editPageLang_->text().trimmed());
    const bool valid = lang.empty() || IsLanguageTag(lang);
    lblLangProblem_->setVisible(!valid);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(valid);
}

void TfrmModernOptions::ApplyTo(TMapProfile& profile) const {
    profile.SetPageLang(ToStd(editPageLang_->text().trimmed()));
    profile.SetPageTitle(ToStd(editPageTitle_->text()));
    profile.SetCollapsible(chkCollapsible_->isChecked());
    profile.SetFilterBox(chkFilterBox_->isChecked());
    profile.SetNoCredit(!chkCredit_->isChecked());
    if (profile.MaxLinks() != spinMaxLinks_->value())
        profile.SetMaxLinks(spinMaxLinks_->value());
}

} // namespace tw::ui
