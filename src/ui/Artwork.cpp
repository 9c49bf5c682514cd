#include "ui/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <array>
#include <cmath>
#include <numbers>

namespace tw::ui {

namespace {

QPixmap Blank(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

void DrawFolder(QPainter& p) {
    p.setPen(QColor(0x7a, 0x5a, 0x00));
    p.setBrush(QColor(0xf2, 0xb7, 0x05));
    // Tab, then body.
    p.drawRect(QRectF(0.5, 2.5, 4, 2));
    p.setBrush(QColor(0xff, 0xd7, 0x5e));
    p.drawRect(QRectF(0.5, 3.5, 11, 7));
    p.setPen(QColor(0xff, 0xf1, 0xb8));
    p.drawLine(QPointF(1.5, 4.5), QPointF(10.5, 4.5));
}

void DrawPage(QPainter& p) {
    QPainterPath sheet;
    sheet.moveTo(1.5, 0.5);
    sheet.lineTo(7.5, 0.5);
    sheet.lineTo(10.5, 3.5);
    sheet.lineTo(10.5, 11.5);
    sheet.lineTo(1.5, 11.5);
    sheet.closeSubpath();
    p.setPen(QColor(0x3d, 0x4f, 0x6b));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setBrush(QColor(0xc9, 0xd6, 0xea));
    QPainterPath corner;
    corner.moveTo(7.5, 0.5);
    corner.lineTo(7.5, 3.5);
    corner.lineTo(10.5, 3.5);
    corner.closeSubpath();
    p.drawPath(corner);
    p.setPen(QColor(0x5b, 0x8d, 0xd6));
    for (double y : {5.5, 7.5, 9.5})
        p.drawLine(QPointF(3, y), QPointF(9, y));
}

void DrawPicture(QPainter& p) {
    p.setPen(QColor(0x3d, 0x4f, 0x6b));
    p.setBrush(QColor(0xbf, 0xe3, 0xff));
    p.drawRect(QRectF(0.5, 1.5, 11, 9));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xc4, 0x00));
    p.drawEllipse(QRectF(7, 3, 3, 3));
    p.setBrush(QColor(0x2e, 0x8b, 0x3a));
    QPainterPath hills;
    hills.moveTo(1, 10);
    hills.lineTo(4.5, 5);
    hills.lineTo(7, 8);
    hills.lineTo(8.5, 6.5);
    hills.lineTo(11, 10);
    hills.closeSubpath();
    p.drawPath(hills);
}

// Continents as (longitude, latitude, radius) blobs, in radians.
struct Blob {
    double lon, lat, radius;
};
constexpr std::array<Blob, 9> kLand{{{0.2, 0.55, 0.38},
                                     {0.7, 0.2, 0.3},
                                     {0.55, -0.45, 0.33},
                                     {2.0, 0.5, 0.45},
                                     {2.5, -0.1, 0.25},
                                     {3.6, 0.3, 0.35},
                                     {4.0, -0.55, 0.3},
                                     {5.1, 0.15, 0.4},
                                     {5.6, -0.35, 0.22}}};

QPixmap GlobeFrame(int frame) {
    const int size = kAnimationFrameSize;
    QPixmap pm = Blank(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    const double cx = 21, cy = 21, r = 17;
    const double turn = 2 * std::numbers::pi * frame / kAnimationFrameCount;

    QRadialGradient sea(QPointF(cx - 6, cy - 7), r * 1.6);
    sea.setColorAt(0, QColor(0x8f, 0xd3, 0xff));
    sea.setColorAt(1, QColor(0x1c, 0x5f, 0xb8));
    p.setPen(QPen(QColor(0x12, 0x3f, 0x7a), 1.2));
    p.setBrush(sea);
    p.drawEllipse(QPointF(cx, cy), r, r);

    QPainterPath disc;
    disc.addEllipse(QPointF(cx, cy), r - 0.6, r - 0.6);
    p.setClipPath(disc);

    // Land: a blob on the near side, flattened towards the rim.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3f, 0xa3, 0x4a));
    for (const Blob& b : kLand) {
        double lon = b.lon + turn;
        double depth = std::cos(lon) * std::cos(b.lat);
        if (depth <= -0.1)
            continue;
        double x = cx + r * std::sin(lon) * std::cos(b.lat);
        double y = cy - r * std::sin(b.lat);
        double w = r * b.radius * std::max(0.15, std::cos(lon));
        double h = r * b.radius * std::cos(b.lat) * 0.9;
        p.drawEllipse(QPointF(x, y), w, h);
    }

    // Meridians turn with the land; parallels stay.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 90), 0.8));
    for (int m = 0; m < 6; ++m) {
        double lon = turn + m * std::numbers::pi / 3;
        double c = std::cos(lon);
        if (c < 0)
            continue;
        double w = r * std::sin(lon);
        QPainterPath meridian;
        meridian.moveTo(cx, cy - r);
        meridian.cubicTo(cx + w * 1.33, cy - r, cx + w * 1.33, cy + r, cx, cy + r);
        p.drawPath(meridian);
    }
    for (double lat : {-0.5, 0.0, 0.5}) {
        double y = cy - r * std::sin(lat);
        double half = r * std::cos(lat);
        p.drawLine(QPointF(cx - half, y), QPointF(cx + half, y));
    }
    p.setClipping(false);

    // A magnifier resting on the globe.
    p.setPen(QPen(QColor(0x4a, 0x2c, 0x0a), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(36, 36), QPointF(45, 45));
    p.setPen(QPen(QColor(0x55, 0x55, 0x5f), 2.2));
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawEllipse(QPointF(31, 31), 7, 7);
    return pm;
}

} // namespace

QPixmap NodeImage(int imageIndex) {
    QPixmap pm = Blank(kNodeImageSize);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    switch (imageIndex) {
    case 0:
        DrawFolder(p);
        break;
    case 2:
        DrawPicture(p);
        break;
    default:
        DrawPage(p);
        break;
    }
    return pm;
}

QIcon NodeIcon(int imageIndex) {
    return QIcon(NodeImage(imageIndex < 0 || imageIndex > 2 ? 1 : imageIndex));
}

QVector<QPixmap> SearchAnimationFrames() {
    QVector<QPixmap> frames;
    frames.reserve(kAnimationFrameCount);
    for (int i = 0; i < kAnimationFrameCount; ++i)
        frames.push_back(GlobeFrame(i));
    return frames;
}

QPixmap ProgramPicture(int size) {
    QPixmap pm = Blank(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    // A folded map sheet.
    QLinearGradient paper(0, 0, 32, 32);
    paper.setColorAt(0, QColor(0xfd, 0xf6, 0xe3));
    paper.setColorAt(1, QColor(0xe8, 0xdc, 0xb5));
    p.setPen(QPen(QColor(0x8a, 0x6d, 0x3b), 1));
    p.setBrush(paper);
    QPolygonF sheet{QPointF(2, 5),   QPointF(11, 2),  QPointF(21, 5),  QPointF(30, 2),
                    QPointF(30, 27), QPointF(21, 30), QPointF(11, 27), QPointF(2, 30)};
    p.drawPolygon(sheet);
    p.setPen(QPen(QColor(0xc9, 0xb7, 0x86), 0.8));
    p.drawLine(QPointF(11, 2), QPointF(11, 27));
    p.drawLine(QPointF(21, 5), QPointF(21, 30));

    // A dotted trail joining three nodes of a site tree.
    p.setPen(QPen(QColor(0xc0, 0x39, 0x2b), 1.6, Qt::DotLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath trail;
    trail.moveTo(7, 23);
    trail.cubicTo(10, 14, 18, 22, 16, 14);
    trail.cubicTo(15, 9, 22, 9, 25, 9);
    p.drawPath(trail);
    p.setPen(QPen(QColor(0x1c, 0x3f, 0x7a), 1));
    p.setBrush(QColor(0x2f, 0x7d, 0xd1));
    p.drawEllipse(QPointF(7, 23), 2.6, 2.6);
    p.drawEllipse(QPointF(16, 14), 2.6, 2.6);
    p.setBrush(QColor(0xc0, 0x39, 0x2b));
    p.drawEllipse(QPointF(25, 9), 3.2, 3.2);
    return pm;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(ProgramPicture(size));
    return icon;
}

QPixmap HelpPicture(int size) {
    QPixmap pm = Blank(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 24.0, size / 24.0);
    // A blue disc with a white question mark, lit from the top left.
    QRadialGradient disc(QPointF(9, 8), 14);
    disc.setColorAt(0, QColor(0x6f, 0xb1, 0xf0));
    disc.setColorAt(1, QColor(0x1d, 0x5f, 0xb8));
    p.setPen(QPen(QColor(0x14, 0x45, 0x8a), 1));
    p.setBrush(disc);
    p.drawEllipse(QRectF(1.5, 1.5, 21, 21));
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath mark;
    mark.moveTo(8.6, 9.2);
    mark.cubicTo(8.6, 5.6, 15.6, 5.4, 15.6, 9.2);
    mark.cubicTo(15.6, 11.8, 12, 11.8, 12, 14.6);
    p.drawPath(mark);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(12, 18.2), 1.6, 1.6);
    return pm;
}

} // namespace tw::ui
