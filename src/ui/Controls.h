#pragma once

#include "ui/Tags.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QString>
#include <functional>

namespace tw::ui {

inline QPushButton* MakeButton(const QString& caption, const QString& name, ButtonTag tag,
                               QWidget* parent = nullptr) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    SetTag(b, tag);
    // Enter and Escape press none of the window's buttons.
    b->setAutoDefault(false);
    return b;
}

inline QCheckBox* MakeCheckBox(const QString& caption, const QString& name, bool checked = false) {
    auto* check = new QCheckBox(caption);
    check->setObjectName(name);
    check->setChecked(checked);
    return check;
}

// Makes Widget the label's focus target. Screen readers take the label's
// text as the widget's name; item views do not look at buddies, so the name
// is also set outright.
inline void SetBuddy(QLabel* label, QWidget* widget) {
    label->setBuddy(widget);
    if (widget->accessibleName().isEmpty())
        widget->setAccessibleName(label->text().remove(QLatin1Char('&')));
}

inline QLineEdit* MakeEdit(const QString& text, const QString& name,
                           const QString& placeholder = QString()) {
    auto* edit = new QLineEdit(text);
    edit->setObjectName(name);
    edit->setPlaceholderText(placeholder);
    return edit;
}

// A caption that names Buddy for the keyboard and for screen readers.
inline QLabel* MakeCaption(const QString& caption, const QString& name, QWidget* buddy) {
    auto* label = new QLabel(caption);
    label->setObjectName(name);
    SetBuddy(label, buddy);
    return label;
}

// A label that acts like a link button: a click, or Space or Enter while it
// has the focus, runs the handler with the point where a menu should open.
class ClickLabel : public QLabel {
public:
    using Handler = std::function<void(const QPoint& globalPos)>;
    using QLabel::QLabel;

    void SetHandler(Handler handler) { handler_ = std::move(handler); }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
            handler_) {
            handler_(event->globalPosition().toPoint());
            return;
        }
        QLabel::mouseReleaseEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) && handler_) {
            handler_(mapToGlobal(rect().bottomLeft()));
            return;
        }
        QLabel::keyPressEvent(event);
    }

private:
    Handler handler_;
};

} // namespace tw::ui
