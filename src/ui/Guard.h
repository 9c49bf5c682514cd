#pragma once

#include "ui/Dialogs.h"
#include "ui/Text.h"

#include <QWidget>
#include <exception>

namespace tw::ui {

// Runs a command; an error it raises ends the command and is shown in the
// application's standard error box instead of reaching Qt's event loop.
template <typename Fn> void Guarded(QWidget* owner, IDialogs& dialogs, Fn&& fn) {
    QString message;
    try {
        fn();
        return;
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QStringLiteral("An unexpected error occurred");
    }
    try {
        dialogs.messageBox(owner ? owner->window() : nullptr, AppTitle(), ErrorBoxText(message),
                           MsgIcon::Error, MsgButtons::Ok);
    } catch (...) {
        // Nothing more can be told; the window stays usable.
    }
}

} // namespace tw::ui
