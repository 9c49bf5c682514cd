#include "ui/WizardPage.h"

#include "ui/Controls.h"

namespace tw::ui {

bool WizardPage::RunCommand(ButtonTag) {
    return false;
}

QPushButton* WizardPage::MakeCommandButton(const QString& caption, const QString& name,
                                           ButtonTag tag) {
    QPushButton* button = MakeButton(caption, name, tag);
    connect(button, &QPushButton::clicked, this, [this, button] { emit buttonClicked(button); });
    return button;
}

} // namespace tw::ui
