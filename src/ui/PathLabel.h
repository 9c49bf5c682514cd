#pragma once

#include <QLabel>

namespace tw::ui {

// A one-line label for a path: long paths are shortened in the middle on
// screen instead of widening the window, while text() keeps the whole path
// and the tooltip shows it.
class PathLabel : public QLabel {
    Q_OBJECT
public:
    explicit PathLabel(QWidget* parent = nullptr);

    void setPath(const QString& path);
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tw::ui
