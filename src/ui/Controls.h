#pragma once

#include <QLabel>
#include <QPushButton>
#include <QString>

namespace tw::ui {

// Every push button of the main window carries its command number as the
// "Tag" property; the window's one click handler dispatches on it.
inline constexpr const char* kTagProperty = "Tag";

inline int ButtonTag(const QObject* button) {
    return button ? button->property(kTagProperty).toInt() : 0;
}

inline QPushButton* MakeButton(const QString& caption, const QString& name, int tag,
                               QWidget* parent = nullptr) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setProperty(kTagProperty, tag);
    // Enter and Escape press none of the window's buttons.
    b->setAutoDefault(false);
    return b;
}

// Makes Widget the label's focus target. Screen readers take the label's
// text as the widget's name; item views do not look at buddies, so the name
// is also set outright.
inline void SetBuddy(QLabel* label, QWidget* widget) {
    label->setBuddy(widget);
    if (widget->accessibleName().isEmpty())
        widget->setAccessibleName(label->text().remove(QLatin1Char('&')));
}

} // namespace tw::ui
