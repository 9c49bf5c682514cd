#include "ui/ColorPickerButton.h"

#include "ui/Dialogs.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QToolButton>
#include <QVBoxLayout>

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
    return static_cast<TColor>(static_cast<quint32>(color.red()) |
                               (static_cast<quint32>(color.green()) << 8) |
                               (static_cast<quint32>(color.blue()) << 16));
}

TColor ColorPickerButton::PaletteColor(int index) {
    unsigned rgb = kPaletteRgb[index];
    return static_cast<TColor>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

ColorPickerButton::ColorPickerButton(IDialogs& dialogs, QWidget* parent)
    : QPushButton(parent), dialogs_(dialogs) {
    setFixedSize(100, 17);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QPushButton::clicked, this, &ColorPickerButton::ShowPalette);
}

void ColorPickerButton::SetColor(TColor color) {
    if (color == color_)
        return;
    color_ = color;
    update();
    emit Changed();
}

void ColorPickerButton::SetCaption(const QString& caption) {
    caption_ = caption;
    setAccessibleDescription(caption);
    update();
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

void ColorPickerButton::ShowPalette() {
    delete popup_;
    popup_ = new QFrame(this, Qt::Popup);
    popup_->setAttribute(Qt::WA_DeleteOnClose);
    popup_->setFrameShape(QFrame::StyledPanel);
    popup_->setObjectName(objectName() + QStringLiteral("Palette"));
    auto* layout = new QVBoxLayout(popup_);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    auto close = [this]() {
        if (popup_)
            popup_->close();
        popup_ = nullptr;
    };
    auto* none = new QToolButton(popup_);
    none->setText(tr("None"));
    none->setToolButtonStyle(Qt::ToolButtonTextOnly);
    none->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(none, &QToolButton::clicked, this, [this, close]() {
        close();
        PickNone();
    });
    layout->addWidget(none);

    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    QToolButton* current = none;
    for (int i = 0; i < kPaletteSize; ++i) {
        auto* swatch = new QToolButton(popup_);
        swatch->setFixedSize(18, 18);
        QPixmap fill(12, 12);
        fill.fill(ToQColor(PaletteColor(i)));
        swatch->setIcon(QIcon(fill));
        swatch->setToolTip(PaletteName(kPaletteRgb[i]));
        swatch->setAccessibleName(PaletteName(kPaletteRgb[i]));
        swatch->setAutoRaise(true);
        swatch->setCheckable(true);
        swatch->setChecked(PaletteColor(i) == color_);
        if (swatch->isChecked())
            current = swatch;
        connect(swatch, &QToolButton::clicked, this, [this, close, i]() {
            close();
            PickPaletteColor(i);
        });
        grid->addWidget(swatch, i / 8, i % 8);
    }
    layout->addLayout(grid);

    auto* more = new QToolButton(popup_);
    more->setText(tr("More Colors..."));
    more->setToolButtonStyle(Qt::ToolButtonTextOnly);
    more->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(more, &QToolButton::clicked, this, [this, close]() {
        close();
        PickMoreColors();
    });
    layout->addWidget(more);

    popup_->adjustSize();
    popup_->move(mapToGlobal(QPoint(0, height())));
    popup_->show();
    current->setFocus();
}

void ColorPickerButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
    QRect swatch = rect().adjusted(3, 3, -14, -3);
    painter.fillRect(swatch, ToQColor(color_));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    if (!caption_.isEmpty()) {
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(swatch, Qt::AlignCenter, caption_);
    }
    // The drop-down arrow.
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = QRect(width() - 12, (height() - 8) / 2, 8, 8);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
}

} // namespace tw::ui
