#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

// The look shared by every picture: a black cabinet lit in green, framed in brushed metal.
namespace vitrinex::artgen {

namespace palette {
inline const QColor green{86, 201, 72};
inline const QColor greenLit{176, 255, 150};
inline const QColor white{236, 240, 236};
inline const QColor grey{132, 138, 135};
inline const QColor metalLight{178, 184, 181};
inline const QColor metalMid{98, 104, 101};
inline const QColor metalDark{36, 39, 38};
} // namespace palette

QFont narrowFont(double pixelSize, bool bold);
QFont sansFont(double pixelSize, bool bold);

// The scale every picture is painted at (1, or 2 for the "@2x" pictures of screens with twice the
// pixels): pictures hold size * scale pixels and are painted in their size's coordinates.
void setPictureScale(int scale);
int pictureScale();
// A picture's size in the coordinates it is painted in.
inline QSize logicalSize(const QImage& image) {
    return image.deviceIndependentSize().toSize();
}

// An opaque black picture of the given size (times the picture scale), ready for painting.
QImage blankImage(QSize size);

// Soft blur of a premultiplied ARGB image (three box passes, close to a Gaussian).
void blur(QImage& image, int radius);

// Paints a halo of glowColor around whatever draw() paints, then nothing else: draw() is called on a
// transparent layer the size of the target, which is blurred and laid over the target.
template <typename Draw> void paintGlow(QPainter& target, int radius, double strength, Draw draw) {
    const QSize size(target.device()->width(), target.device()->height());
    const qreal ratio = target.device()->devicePixelRatio();
    QImage layer(size, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio); // drawn in the target's coordinates, at its pixels
    layer.fill(Qt::transparent);
    {
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::Antialiasing);
        lp.setRenderHint(QPainter::TextAntialiasing);
        lp.setTransform(target.transform());
        draw(lp);
    }
    blur(layer, qRound(radius * ratio));
    target.save();
    target.resetTransform();
    target.setOpacity(strength);
    target.setCompositionMode(QPainter::CompositionMode_Plus);
    target.drawImage(0, 0, layer);
    target.restore();
}

// Text with a green halo behind it (the lit look of captions and titles).
void drawGlowText(QPainter& p, const QRectF& rect, int flags, const QString& text, const QFont& font,
                  const QColor& textColor, const QColor& glowColor, int glowRadius, double glowStrength);

// A thin brushed-metal frame: light on top, dark below, with a dark inner line.
void drawMetalFrame(QPainter& p, const QRectF& rect, double radius);

// A framed showcase compartment: metal frame, a faint glass sheen in its upper corner and a dim
// green light along its top edge; the inside stays black for the controls placed on it.
void drawShowcasePanel(QPainter& p, const QRectF& rect, double radius);

// A lit horizontal edge, like the front of a glass shelf: brightest in the middle, fading at both
// ends, with a soft glow around it.
void drawLightStrip(QPainter& p, QPointF from, double length, const QColor& color, int glow, double strength);

// The outer frame every window picture shares, inset from the picture's edges.
void drawWindowFrame(QPainter& p, QSize size);

// The product mark: a display case seen from the front with a faceted V standing in it.
void drawEmblem(QPainter& p, const QRectF& square);

// The word mark "vitrinex" in metal-white letters, centred in rect.
void drawWordMark(QPainter& p, const QRectF& rect, double pixelSize);

} // namespace vitrinex::artgen
