#pragma once

#include "model/SiteMapProfile.h"

#include <QDialog>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace tw::ui {

// The modern page's options beside the layout group: its language, its
// title, folding, the filter field, the credit line and paging. It edits the
// profile's settings only when confirmed; a language that is not a
// well-formed tag cannot be confirmed.
class TfrmModernOptions : public QDialog {
    Q_OBJECT
public:
    explicit TfrmModernOptions(const TMapProfile& profile, QWidget* parent = nullptr);

    // Each setter marks the profile modified only when its value changes.
    void ApplyTo(TMapProfile& profile) const;

private:
    void UpdateState();

    QLineEdit* editPageLang_;
    QLabel* lblLangProblem_;
    QLineEdit* editPageTitle_;
    QCheckBox* chkCollapsible_;
    QCheckBox* chkFilterBox_;
    QCheckBox* chkCredit_;
    // Paging.
    QSpinBox* spinMaxLinks_;
    QDialogButtonBox* buttons_;
};

} // namespace tw::ui
