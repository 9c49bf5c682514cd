#include "ui/PathLabel.h"

#include <QPainter>
#include <QStyle>

namespace tw::ui {

PathLabel::PathLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void PathLabel::setPath(const QString& path) {
    setText(path);
    setToolTip(path);
}

QSize PathLabel::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * 8, fontMetrics().height()};
}

QSize PathLabel::sizeHint() const {
    return {fontMetrics().averageCharWidth() * 40, fontMetrics().height()};
}

void PathLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect r = contentsRect();
    QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, r.width());
    style()->drawItemText(&p, r, int(alignment()) | Qt::TextSingleLine, palette(), isEnabled(),
                          shown, foregroundRole());
}

} // namespace tw::ui
