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

// The "File:" row that names the file a site map item stands for: the
// caption "Label1" and the path label "lblLinkFileName" (showing "[none]"),
// the caption being the path's buddy. Returns the path label.
PathLabel* MakeFileRow(QLabel*& caption);

// A label of a few lines for text that holds long paths: lines break at
// spaces and, where a path has none, anywhere, so a long path neither widens
// the window nor disappears past its edge. Lines beyond the label's height
// are cut off.
class WrappingLabel : public QLabel {
    Q_OBJECT
public:
    WrappingLabel(int lines, QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int lines_;
};

} // namespace tw::ui
