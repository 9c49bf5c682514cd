#include "ui/ColorPickerButton.h"

#include "ui/Dialogs.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tw::ui {

namespace {

// Eight columns of hues in five rows from dark to light, plus greys.
constexpr unsigned kPaletteRgb[ColorPickerButton::kPaletteSize] = {
    0x000000, 0x993300, 0x333300, 0x003300, 0x003366, 0x000080, 0x333399, 0x333333,
    0x800000, 0xFF6600, 0x808000, 0x008000, 0x008080, 0x0000FF, 0x666699, 0x808080,
    0xFF0000, 0xFF9900, 0x99CC00, 0x339966, 0x33CCCC, 0x3366FF, 0x800080, 0x969696,
    0xFF00FF, 0xFFCC00, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x00CCFF, 0x993366, 0xC0C0C0,
    0xFF99CC, 0xFFCC99, 0xFFFF99, 0xCCFFCC, 0xCCFFFF, 0x99CCFF, 0xCC99FF, 0xFFFFFF,
};

QString PaletteName(unsigned rgb) {
    return QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
}

bool IsActivateKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space ||
           key == Qt::Key_Select;
}

} // namespace

QColor ToQColor(TColor color) {
    auto value = static_cast<quint32>(color);
    if (color == kColorNone)
        return QApplication::palette().color(QPalette::Button);
    if (value & 0x80000000u) {
        // The few system colours a picker can meet; others look like text.
        switch (value & 0xFF) {
        case 0x05:
            return QApplication::palette().color(QPalette::Base);
        case 0x08:
        case 0x12:
            return QApplication::palette().color(QPalette::ButtonText);
        case 0x0D:
            return QApplication::palette().color(QPalette::Highlight);
        case 0x0F:
            return QApplication::palette().color(QPalette::Button);
        default:
            return QApplication::palette().color(QPalette::WindowText);
        }
    }
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color) {
    QColor rgb = color.toRgb();
    return static_cast<TColor>(static_cast<quint32>(rgb.red()) |
                               (static_cast<quint32>(rgb.green()) << 8) |
                               (static_cast<quint32>(rgb.blue()) << 16));
}

TColor ColorPickerButton::PaletteColor(int index) {
    unsigned rgb = kPaletteRgb[index];
    return static_cast<TColor>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

ColorPickerButton::ColorPickerButton(IDialogs& dialogs, QWidget* parent)
    : QPushButton(parent), dialogs_(dialogs) {
    setFixedSize(100, 17);
    setFocusPolicy(Qt::StrongFocus);
    setAutoDefault(false);
    // The window's flat-button style would pad the colour away.
    setStyleSheet(QStringLiteral("QPushButton { padding: 0px; min-width: 0px; }"));
    connect(this, &QPushButton::clicked, this, &ColorPickerButton::ShowPalette);
    UpdateDescription();
}

void ColorPickerButton::SetColor(TColor color) {
    if (color == color_)
        return;
    color_ = color;
    UpdateDescription();
    update();
    emit Changed();
}

void ColorPickerButton::SetCaption(const QString& caption) {
    caption_ = caption;
    UpdateDescription();
    update();
}

void ColorPickerButton::UpdateDescription() {
    // What a screen reader says after the label's name.
    setAccessibleDescription(caption_.isEmpty() ? ToQColor(color_).name().toUpper() : caption_);
}

void ColorPickerButton::PickPaletteColor(int index) {
    if (index >= 0 && index < kPaletteSize)
        SetColor(PaletteColor(index));
}

void ColorPickerButton::PickNone() {
    emit NoneSelected();
}

void ColorPickerButton::PickMoreColors() {
    std::optional<QColor> chosen = dialogs_.colour(window(), ToQColor(color_));
    if (chosen && chosen->isValid())
        SetColor(FromQColor(*chosen));
}

void ColorPickerButton::ClosePalette() {
    if (popup_)
        popup_->close();
    swatches_.clear();
}

void ColorPickerButton::ShowPalette() {
    ClosePalette();
    auto* popup = new QFrame(this, Qt::Popup);
    popup_ = popup;
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setFrameShape(QFrame::StyledPanel);
    popup->setObjectName(objectName() + QStringLiteral("Palette"));
    popup->setAccessibleName(accessibleName());
    popup->installEventFilter(this);
    auto* layout = new QVBoxLayout(popup);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    // Each entry closes the palette first: a pick may open a dialog or
    // report an error, and neither belongs above an open popup.
    auto* none = new QToolButton(popup);
    none->setObjectName(QStringLiteral("btnNone"));
    none->setText(tr("None"));
    none->setToolButtonStyle(Qt::ToolButtonTextOnly);
    none->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    none->setFocusPolicy(Qt::StrongFocus);
    none->installEventFilter(this);
    connect(none, &QToolButton::clicked, this, [this] {
        ClosePalette();
        PickNone();
    });
    layout->addWidget(none);

    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    QToolButton* current = none;
    for (int i = 0; i < kPaletteSize; ++i) {
        auto* swatch = new QToolButton(popup);
        swatch->setObjectName(QStringLiteral("swatch%1").arg(i));
        swatch->setFixedSize(18, 18);
        QPixmap fill(12, 12);
        fill.fill(ToQColor(PaletteColor(i)));
        swatch->setIcon(QIcon(fill));
        swatch->setToolTip(PaletteName(kPaletteRgb[i]));
        swatch->setAccessibleName(PaletteName(kPaletteRgb[i]));
        swatch->setAutoRaise(true);
        swatch->setCheckable(true);
        swatch->setFocusPolicy(Qt::StrongFocus);
        swatch->setChecked(caption_.isEmpty() && PaletteColor(i) == color_);
        if (swatch->isChecked())
            current = swatch;
        swatch->installEventFilter(this);
        connect(swatch, &QToolButton::clicked, this, [this, i] {
            ClosePalette();
            PickPaletteColor(i);
        });
        grid->addWidget(swatch, i / kPaletteColumns, i % kPaletteColumns);
        swatches_ << swatch;
    }
    layout->addLayout(grid);

    auto* more = new QToolButton(popup);
    more->setObjectName(QStringLiteral("btnMoreColors"));
    more->setText(tr("More Colors..."));
    more->setToolButtonStyle(Qt::ToolButtonTextOnly);
    more->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    more->setFocusPolicy(Qt::StrongFocus);
    more->installEventFilter(this);
    connect(more, &QToolButton::clicked, this, [this] {
        ClosePalette();
        PickMoreColors();
    });
    layout->addWidget(more);

    popup->adjustSize();
    // Below the button, or above it where the screen ends.
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (QScreen* s = screen()) {
        QRect area = s->availableGeometry();
        if (at.y() + popup->height() > area.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - popup->height());
        at.setX(
            std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - popup->width())));
    }
    popup->move(at);
    popup->show();
    current->setFocus(Qt::PopupFocusReason);
}

void ColorPickerButton::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F4 ||
        (key == Qt::Key_Down && (event->modifiers() & Qt::AltModifier))) {
        ShowPalette();
        return;
    }
    QPushButton::keyPressEvent(event);
}

bool ColorPickerButton::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !popup_)
        return QPushButton::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
        ClosePalette();
        return true;
    }
    auto* button = qobject_cast<QToolButton*>(watched);
    if (!button)
        return QPushButton::eventFilter(watched, event);
    if (IsActivateKey(key->key())) {
        button->click();
        return true;
    }
    // Arrow keys walk the grid; off its top is None, off its bottom More.
    const qsizetype index = swatches_.indexOf(button);
    const int count = static_cast<int>(swatches_.size());
    QWidget* none = popup_->findChild<QToolButton*>(QStringLiteral("btnNone"));
    QWidget* more = popup_->findChild<QToolButton*>(QStringLiteral("btnMoreColors"));
    QWidget* target = nullptr;
    switch (key->key()) {
    case Qt::Key_Left:
        if (index > 0)
            target = swatches_[index - 1];
        break;
    case Qt::Key_Right:
        if (index >= 0 && index + 1 < count)
            target = swatches_[index + 1];
        break;
    case Qt::Key_Up:
        if (button == more)
            target = swatches_[count - kPaletteColumns];
        else if (index >= kPaletteColumns)
            target = swatches_[index - kPaletteColumns];
        else if (index >= 0)
            target = none;
        break;
    case Qt::Key_Down:
        if (button == none)
            target = swatches_[0];
        else if (index >= 0 && index + kPaletteColumns < count)
            target = swatches_[index + kPaletteColumns];
        else if (index >= 0)
            target = more;
        break;
    default:
        return QPushButton::eventFilter(watched, event);
    }
    if (target)
        target->setFocus(Qt::TabFocusReason);
    return true;
}

void ColorPickerButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
    QRect swatch = rect().adjusted(3, 3, -14, -3);
    painter.fillRect(swatch, ToQColor(color_));
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Dark));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    if (!caption_.isEmpty()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::ButtonText));
        painter.drawText(swatch, Qt::AlignCenter, caption_);
    }
    // The drop-down arrow.
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = QRect(width() - 12, (height() - 8) / 2, 8, 8);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
    // Keyboard users must see which picker has the focus.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

} // namespace tw::ui
