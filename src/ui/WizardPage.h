#pragma once

#include "ui/Tags.h"

#include <QWidget>

class QAbstractButton;
class QPushButton;

namespace tw::ui {

// What the main window asks of each of its five pages. A page edits the
// window's profile, runs the commands of its own buttons and says whether
// Next may leave it; the window keeps the navigation, the runs and the
// profile files.
class WizardPage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Sets the page's controls from the profile it edits.
    virtual void ApplyProfile() {}
    // Asked by Next: false keeps the wizard on the page, which has then told
    // why and put the focus where the fix goes.
    virtual bool MayLeave() { return true; }
    // Runs the command of one of the page's buttons; false when Tag is not
    // one of the page's.
    virtual bool RunCommand(ButtonTag tag);

signals:
    // A button of the page was clicked, or a key stood for it. The window's
    // one click handler takes it and calls RunCommand with its tag.
    void buttonClicked(QAbstractButton* button);

protected:
    // A push button whose clicks go to the window's click handler.
    QPushButton* MakeCommandButton(const QString& caption, const QString& name, ButtonTag tag);
};

} // namespace tw::ui
