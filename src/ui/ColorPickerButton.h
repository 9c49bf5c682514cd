#pragma once

#include "model/SiteMapProfile.h"

#include <QColor>
#include <QPushButton>

class QFrame;

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
class ColorPickerButton : public QPushButton {
    Q_OBJECT
public:
    static constexpr int kPaletteSize = 40;

    ColorPickerButton(IDialogs& dialogs, QWidget* parent = nullptr);

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

signals:
    // The colour changed, by the user or by the program.
    void Changed();
    // The user chose "None"; the colour is left as it is.
    void NoneSelected();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    IDialogs& dialogs_;
    TColor color_ = 0;
    QString caption_;
    QFrame* popup_ = nullptr;
};

} // namespace tw::ui
