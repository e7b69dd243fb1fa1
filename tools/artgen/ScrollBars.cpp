#include "ScrollBars.h"

#include "Style.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>

namespace vitrinex::artgen {

const std::vector<ScrollBitmapArt>& scrollBitmaps() {
    static const std::vector<ScrollBitmapArt> bitmaps = {
        {QStringLiteral("listbar-top.png"), ScrollPart::Top, QSize(18, 12)},
        {QStringLiteral("listbar-track.png"), ScrollPart::Track, QSize(18, 130)},
        {QStringLiteral("listbar-bottom.png"), ScrollPart::Bottom, QSize(18, 13)},
        {QStringLiteral("listbar-thumb.png"), ScrollPart::Thumb, QSize(13, 13)},
        {QStringLiteral("commentbar-top.png"), ScrollPart::Top, QSize(18, 12)},
        {QStringLiteral("commentbar-track.png"), ScrollPart::Track, QSize(14, 39)},
        {QStringLiteral("commentbar-bottom.png"), ScrollPart::Bottom, QSize(18, 13)},
        {QStringLiteral("commentbar-thumb.png"), ScrollPart::Thumb, QSize(13, 13)},
    };
    return bitmaps;
}

namespace {

void paintTrack(QImage& image) {
    // A dark channel between two metal rails, identical on every row.
    QPainter p(&image);
    const int w = logicalSize(image).width();
    for (int x = 0; x < w; ++x) {
        QColor c(7, 8, 8);
        if (x == 0 || x == w - 1)
            c = QColor(92, 98, 95);
        else if (x == 1 || x == w - 2)
            c = QColor(24, 27, 26);
        else if (x == w / 2 || (w % 2 == 0 && x == w / 2 - 1))
            c = QColor(16, 30, 16); // a faint green groove down the middle
        p.fillRect(QRect(x, 0, 1, logicalSize(image).height()), c);
    }
}

void paintEnd(QImage& image, bool top) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = logicalSize(image).width();
    const double h = logicalSize(image).height();
    // A cap rounded on its outer end only: the rectangle runs past the inner edge.
    const QRectF cap = top ? QRectF(0.5, 0.5, w - 1, h + 6) : QRectF(0.5, -6.5, w - 1, h + 6);
    QPainterPath shape;
    shape.addRoundedRect(cap, 4, 4);
    QLinearGradient fill(0, 0, 0, h);
    fill.setColorAt(0.0, QColor(62, 67, 65));
    fill.setColorAt(1.0, QColor(18, 20, 19));
    p.fillPath(shape, fill);
    QLinearGradient rim(0, 0, 0, h);
    rim.setColorAt(0.0, QColor(170, 176, 173));
    rim.setColorAt(1.0, QColor(70, 75, 73));
    p.setPen(QPen(QBrush(rim), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);

    const double cx = w / 2;
    const double cy = top ? h / 2 + 0.5 : h / 2 - 0.5;
    const double half = w * 0.2;
    const double rise = h * 0.18;
    QPolygonF arrow;
    if (top)
        arrow << QPointF(cx - half, cy + rise) << QPointF(cx + half, cy + rise) << QPointF(cx, cy - rise);
    else
        arrow << QPointF(cx - half, cy - rise) << QPointF(cx + half, cy - rise) << QPointF(cx, cy + rise);
    paintGlow(p, 2, 0.8, [&](QPainter& lp) {
        lp.setPen(Qt::NoPen);
        lp.setBrush(palette::green);
        lp.drawPolygon(arrow);
    });
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 235, 100));
    p.drawPolygon(arrow);
}

void paintThumb(QImage& image) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(1.5, 1.5, logicalSize(image).width() - 3, logicalSize(image).height() - 3);
    QPainterPath shape;
    shape.addRoundedRect(body, 3, 3);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0.0, QColor(128, 226, 108));
    fill.setColorAt(0.5, QColor(60, 158, 50));
    fill.setColorAt(1.0, QColor(28, 92, 24));
    p.fillPath(shape, fill);
    p.setPen(QPen(QColor(196, 255, 180), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    // Grip ridges across the middle.
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = -1; i <= 1; ++i) {
        const int y = logicalSize(image).height() / 2 + 2 * i;
        p.setPen(QColor(20, 70, 18));
        p.drawLine(4, y, logicalSize(image).width() - 5, y);
    }
}

} // namespace

QImage paintScrollPart(ScrollPart part, QSize size) {
    QImage image = blankImage(size);
    switch (part) {
    case ScrollPart::Track:
        paintTrack(image);
        break;
    case ScrollPart::Top:
        paintEnd(image, true);
        break;
    case ScrollPart::Bottom:
        paintEnd(image, false);
        break;
    case ScrollPart::Thumb:
        paintThumb(image);
        break;
    }
    return image;
}

} // namespace vitrinex::artgen
