#include "ui/PathLabel.h"

#include "ui/Controls.h"

#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <QTextOption>

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

WrappingLabel::WrappingLabel(int lines, QWidget* parent) : QLabel(parent), lines_(lines) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QSize WrappingLabel::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * 8, fontMetrics().lineSpacing() * lines_};
}

QSize WrappingLabel::sizeHint() const {
    return {fontMetrics().averageCharWidth() * 40, fontMetrics().lineSpacing() * lines_};
}

void WrappingLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    p.setClipRect(contentsRect());
    const QRect r = contentsRect();
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    qreal y = r.top();
    const QStringList paragraphs = text().split(QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs) {
        QTextLayout layout(paragraph, font());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(r.width());
            line.setPosition(QPointF(r.left(), y));
            y += fontMetrics().lineSpacing();
        }
        layout.endLayout();
        layout.draw(&p, QPointF(0, 0));
        if (y > r.bottom())
            break;
    }
}

PathLabel* MakeFileRow(QLabel*& caption) {
    caption = new QLabel(QStringLiteral("File:"));
    caption->setObjectName(QStringLiteral("Label1"));
    auto* path = new PathLabel;
    path->setObjectName(QStringLiteral("lblLinkFileName"));
    path->setPath(QStringLiteral("[none]"));
    SetBuddy(caption, path);
    return path;
}

} // namespace tw::ui
