#include "Buttons.h"

#include "Style.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>

namespace vitrinex::artgen {

const std::vector<ImageListArt>& imageLists() {
    static const std::vector<ImageListArt> lists = {
        {QStringLiteral("ImageList1.png"), QSize(75, 43), {"exit", "help", "update"}, 16},
        {QStringLiteral("ImageList2.png"),
         QSize(75, 29),
         {"add", "cancel", "delete", "edit", "exit", "ok", "print", "close", "stats"},
         14},
        {QStringLiteral("ImageList3.png"), QSize(67, 43), {"add", "close", "delete", "edit", "print"}, 16},
        {QStringLiteral("ImageList4.png"), QSize(158, 40), {"new collection", "open collection"}, 17},
    };
    return lists;
}

const std::vector<OffPictureArt>& offPictures() {
    static const std::vector<OffPictureArt> pictures = {
        {QStringLiteral("bexitoff.jpg"), 0, 0},   {QStringLiteral("helpoff.jpg"), 0, 2},
        {QStringLiteral("updateoff.jpg"), 0, 4},  {QStringLiteral("addoff.jpg"), 1, 0},
        {QStringLiteral("canceloff.jpg"), 1, 2},  {QStringLiteral("deleteoff.jpg"), 1, 4},
        {QStringLiteral("editoff.jpg"), 1, 6},    {QStringLiteral("exitoff.jpg"), 1, 8},
        {QStringLiteral("okoff.jpg"), 1, 10},     {QStringLiteral("OkOff.jpg"), 1, 10},
        {QStringLiteral("printoff.jpg"), 1, 12},  {QStringLiteral("statsoff.jpg"), 1, 16},
        {QStringLiteral("maddoff.jpg"), 2, 0},    {QStringLiteral("mcloseoff.jpg"), 2, 2},
        {QStringLiteral("mdeleteoff.jpg"), 2, 4}, {QStringLiteral("meditoff.jpg"), 2, 6},
        {QStringLiteral("mprintoff.jpg"), 2, 8},  {QStringLiteral("newoff.jpg"), 3, 0},
        {QStringLiteral("openoff.jpg"), 3, 2},
    };
    return pictures;
}

QImage paintButton(QSize size, const QString& caption, bool lit, double captionPixels) {
    QImage image = blankImage(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Two black pixels all round: the pressed look is this picture shifted by one pixel, and the
    // strip it uncovers must match the black window behind the button.
    const QRectF body(2.5, 2.5, size.width() - 5, size.height() - 5);
    const double radius = std::min(7.0, size.height() * 0.22);
    QPainterPath shape;
    shape.addRoundedRect(body, radius, radius);

    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    if (lit) {
        fill.setColorAt(0.0, QColor(36, 66, 33));
        fill.setColorAt(0.45, QColor(14, 34, 14));
        fill.setColorAt(1.0, QColor(6, 20, 7));
    } else {
        fill.setColorAt(0.0, QColor(36, 39, 38));
        fill.setColorAt(0.45, QColor(15, 17, 16));
        fill.setColorAt(1.0, QColor(6, 7, 7));
    }
    p.fillPath(shape, fill);
    if (lit) {
        // Backlight rising from below, as if the glass were lit from inside.
        QRadialGradient back(QPointF(body.center().x(), body.bottom()), body.width() * 0.6);
        back.setColorAt(0.0, QColor(110, 230, 90, 120));
        back.setColorAt(1.0, QColor(0, 0, 0, 0));
        p.fillPath(shape, back);
    }

    // Gloss on the upper half of the glass.
    p.save();
    p.setClipPath(shape);
    const QRectF upper(body.left(), body.top(), body.width(), body.height() * 0.48);
    QLinearGradient gloss(upper.topLeft(), upper.bottomLeft());
    gloss.setColorAt(0.0, QColor(255, 255, 255, lit ? 46 : 30));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 4));
    p.fillRect(upper, gloss);
    p.restore();

    // Indicator light on the left.
    const double led = std::clamp(size.height() * 0.15, 4.0, 6.5);
    const QPointF ledCentre(body.left() + 5 + led, body.center().y());
    if (lit) {
        paintGlow(p, 4, 1.0, [&](QPainter& lp) {
            lp.setPen(Qt::NoPen);
            lp.setBrush(palette::greenLit);
            lp.drawEllipse(ledCentre, led * 0.8, led * 0.8);
        });
    }
    QRadialGradient bulb(ledCentre - QPointF(led * 0.25, led * 0.25), led);
    if (lit) {
        bulb.setColorAt(0.0, QColor(245, 255, 240));
        bulb.setColorAt(0.45, QColor(150, 250, 125));
        bulb.setColorAt(1.0, QColor(50, 160, 42));
    } else {
        bulb.setColorAt(0.0, QColor(70, 110, 66));
        bulb.setColorAt(0.5, QColor(28, 62, 26));
        bulb.setColorAt(1.0, QColor(12, 28, 12));
    }
    p.setPen(QPen(QColor(70, 76, 73), 0.8));
    p.setBrush(bulb);
    p.drawEllipse(ledCentre, led / 2, led / 2);

    // Rim: brushed metal, or lit green with a halo.
    QLinearGradient rim(body.topLeft(), body.bottomLeft());
    if (lit) {
        rim.setColorAt(0.0, QColor(205, 255, 190));
        rim.setColorAt(1.0, QColor(70, 190, 60));
        paintGlow(p, 3, 0.9, [&](QPainter& lp) {
            lp.setPen(QPen(palette::green, 2));
            lp.setBrush(Qt::NoBrush);
            lp.drawPath(shape);
        });
    } else {
        rim.setColorAt(0.0, QColor(160, 166, 163));
        rim.setColorAt(0.5, QColor(84, 89, 87));
        rim.setColorAt(1.0, QColor(44, 47, 46));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(rim), 1.0));
    p.drawPath(shape);

    // Caption, centred in the glass right of the light.
    const double textLeft = ledCentre.x() + led / 2 + 2;
    const QRectF textRect(textLeft, body.top(), body.right() - 4 - textLeft, body.height() - 1);
    const QFont font = narrowFont(captionPixels, true);
    if (lit)
        drawGlowText(p, textRect, Qt::AlignCenter, caption, font, QColor(222, 255, 210), palette::green, 3,
                     1.0);
    else {
        p.setFont(font);
        p.setPen(palette::green);
        p.drawText(textRect, Qt::AlignCenter, caption);
    }
    // The outermost ring stays pure black, halo or not, so no edge shows when looks are swapped.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    p.end();
    return image;
}

QImage paintImageList(const ImageListArt& list) {
    const int count = int(list.captions.size()) * 2;
    QImage strip = blankImage(QSize(list.cell.width() * count, list.cell.height()));
    QPainter p(&strip);
    for (int i = 0; i < count; ++i)
        p.drawImage(i * list.cell.width(), 0,
                    paintButton(list.cell, list.captions[i / 2], i % 2 == 1, list.captionPixels));
    p.end();
    return strip;
}

} // namespace vitrinex::artgen
