#pragma once

#include <QObject>
#include <QVariant>

namespace tw::ui {

// Every push button that the main window's one click handler runs carries
// its command as the "Tag" property. The numbers are fixed: a button made
// with Undefined tells that it has no action, and the handler ignores a
// number it does not know.
enum class ButtonTag : int {
    // A button the click handler never sees: its page or dialog runs it.
    OwnHandler = -1,
    Undefined = 0,
    Next = 1,
    Back = 2,
    Cancel = 3,
    OpenProfile = 4,
    SaveProfile = 5,
    AddIgnoreFolder = 6,
    RemoveIgnoreFolders = 7,
    ResetFileTypes = 8,
    BrowseIndex = 9,
    BrowseOutputFile = 10,
    // The hidden insert target's Browse, which has no action.
    BrowseOutputInsert = 11,
    SaveProfileAs = 12,
    ResetColors = 13,
    ViewOutputFile = 14,
    AddIgnoreFiles = 15,
    RemoveIgnoreFiles = 16,
    CopyToClipboard = 17,
};

inline constexpr const char* kTagProperty = "Tag";

inline void SetTag(QObject* button, ButtonTag tag) {
    button->setProperty(kTagProperty, static_cast<int>(tag));
}

// A button without the property counts as Undefined.
inline ButtonTag TagOf(const QObject* button) {
    return static_cast<ButtonTag>(button ? button->property(kTagProperty).toInt() : 0);
}

} // namespace tw::ui
