#pragma once

#include "model/SiteMapProfile.h"

#include <QWidget>

class QAbstractButton;
class QLineEdit;
class QPushButton;

namespace tw::ui {

// Wizard page 3. It holds the output file for now; the colours, the layout,
// the options and the preview join it with the output work.
class OutputSettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit OutputSettingsPage(TMapProfile& profile, QWidget* parent = nullptr);

    QList<QAbstractButton*> Buttons() const;
    // Sets the field; its change handler stores the name in the profile.
    void SetOutputFileText(const QString& fileName);
    void FocusOutputFile();

private:
    TMapProfile& profile_;
    QLineEdit* editOutputFile_;
    QPushButton* btnOutputFileBrowse_;
};

// Wizard page 4, where the generation run shows its result; it is filled by
// the output work.
class OutputStatusPage : public QWidget {
    Q_OBJECT
public:
    explicit OutputStatusPage(QWidget* parent = nullptr);
};

} // namespace tw::ui
