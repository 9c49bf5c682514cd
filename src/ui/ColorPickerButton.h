#pragma once

#include "model/SiteMapProfile.h"

#include <QColor>
#include <QFrame>
#include <QPointer>
#include <QPushButton>

class QToolButton;

namespace tw::ui {

class IDialogs;

// The system colour value of the platform's button face, which a picker
// shows in its None state.
inline constexpr TColor kButtonFaceColor = static_cast<TColor>(0x8000000F);

// A QColor for a colour value in the 0x00BBGGRR layout; system colours take
// the matching colour of the application's palette.
QColor ToQColor(TColor color);
// The 0x00BBGGRR value of an opaque QColor.
TColor FromQColor(const QColor& color);

// A button that shows a colour (and its caption, when it has one) and drops
// down a palette of 40 colours with "None" and "More Colors..." entries.
// Space, Enter, Alt+Down and F4 open the palette; in it the arrow keys move
// between the colours, Enter or Space picks one and Escape closes it.
class ColorPickerButton : public QPushButton {
    Q_OBJECT
public:
    static constexpr int kPaletteSize = 40;
    static constexpr int kPaletteColumns = 8;

    explicit ColorPickerButton(IDialogs& dialogs, QWidget* parent = nullptr);

    TColor Color() const { return color_; }
    // Fires Changed when the colour differs from the current one.
    void SetColor(TColor color);
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);

    static TColor PaletteColor(int index);

    // What the palette's entries do, also for tests and the keyboard.
    void PickPaletteColor(int index);
    void PickNone();
    void PickMoreColors();
    // Opens the drop-down palette under the button.
    void ShowPalette();
    // The open palette, or null.
    QFrame* Palette() const { return popup_; }

signals:
    // The colour changed, by the user or by the program.
    void Changed();
    // The user chose "None"; the colour is left as it is.
    void NoneSelected();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ClosePalette();
    void UpdateDescription();

    IDialogs& dialogs_;
    TColor color_ = 0;
    QString caption_;
    // The palette deletes itself when it closes, also when the user clicks
    // elsewhere; the guarded pointer then reads null.
    QPointer<QFrame> popup_;
    QList<QToolButton*> swatches_;
};

} // namespace tw::ui
