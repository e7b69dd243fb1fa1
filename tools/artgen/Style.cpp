#include "Style.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <vector>

namespace vitrinex::artgen {

QFont narrowFont(double pixelSize, bool bold) {
    QFont font(QStringLiteral("Arial Narrow"));
    font.setPixelSize(qRound(pixelSize));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QFont sansFont(double pixelSize, bool bold) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(qRound(pixelSize));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

namespace {
int scale = 1;
} // namespace

void setPictureScale(int pictureScale) {
    scale = pictureScale;
}

int pictureScale() {
    return scale;
}

QImage blankImage(QSize size) {
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::black);
    return image;
}

namespace {

// One box pass along rows (horizontal) or columns, on the four premultiplied channels.
void boxPass(QImage& image, int radius, bool horizontal) {
    const int w = image.width();
    const int h = image.height();
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    const int window = 2 * radius + 1;
    std::vector<QRgb> source(length);
    for (int line = 0; line < lines; ++line) {
        auto pixel = [&](int i) -> QRgb& {
            return horizontal ? reinterpret_cast<QRgb*>(image.scanLine(line))[i]
                              : reinterpret_cast<QRgb*>(image.scanLine(i))[line];
        };
        for (int i = 0; i < length; ++i)
            source[i] = pixel(i);
        auto at = [&](int i) { return source[std::clamp(i, 0, length - 1)]; };
        int sum[4] = {0, 0, 0, 0};
        for (int i = -radius; i <= radius; ++i) {
            const QRgb c = at(i);
            sum[0] += qAlpha(c), sum[1] += qRed(c), sum[2] += qGreen(c), sum[3] += qBlue(c);
        }
        for (int i = 0; i < length; ++i) {
            pixel(i) = qRgba(sum[1] / window, sum[2] / window, sum[3] / window, sum[0] / window);
            const QRgb out = at(i - radius);
            const QRgb in = at(i + radius + 1);
            sum[0] += qAlpha(in) - qAlpha(out);
            sum[1] += qRed(in) - qRed(out);
            sum[2] += qGreen(in) - qGreen(out);
            sum[3] += qBlue(in) - qBlue(out);
        }
    }
}

} // namespace

void blur(QImage& image, int radius) {
    if (radius < 1 || image.isNull()) return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Three passes of a third of the radius each approach a Gaussian of that radius.
    const int step = std::max(1, radius / 3);
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(image, step, true);
        boxPass(image, step, false);
    }
}

void drawGlowText(QPainter& p, const QRectF& rect, int flags, const QString& text, const QFont& font,
                  const QColor& textColor, const QColor& glowColor, int glowRadius, double glowStrength) {
    paintGlow(p, glowRadius, glowStrength, [&](QPainter& lp) {
        lp.setFont(font);
        lp.setPen(glowColor);
        lp.drawText(rect, flags, text);
    });
    p.save();
    p.setFont(font);
    p.setPen(textColor);
    p.drawText(rect, flags, text);
    p.restore();
}

void drawMetalFrame(QPainter& p, const QRectF& rect, double radius) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    QLinearGradient metal(rect.topLeft(), rect.bottomLeft());
    metal.setColorAt(0.0, palette::metalLight);
    metal.setColorAt(0.08, palette::metalMid);
    metal.setColorAt(0.55, QColor(62, 66, 64));
    metal.setColorAt(1.0, palette::metalDark);
    p.setPen(QPen(QBrush(metal), 1.0));
    p.drawRoundedRect(rect, radius, radius);
    p.setPen(QPen(QColor(10, 11, 11), 1.0));
    p.drawRoundedRect(rect.adjusted(1, 1, -1, -1), std::max(0.0, radius - 1), std::max(0.0, radius - 1));
    p.restore();
}

void drawLightStrip(QPainter& p, QPointF from, double length, const QColor& color, int glow,
                    double strength) {
    auto strip = [&](QPainter& lp, double alphaScale) {
        QLinearGradient g(from, from + QPointF(length, 0));
        QColor edge = color;
        edge.setAlphaF(0.0);
        QColor middle = color;
        middle.setAlphaF(std::clamp(alphaScale, 0.0, 1.0));
        g.setColorAt(0.0, edge);
        g.setColorAt(0.5, middle);
        g.setColorAt(1.0, edge);
        lp.setPen(Qt::NoPen);
        lp.setBrush(g);
        lp.drawRect(QRectF(from.x(), from.y() - 0.5, length, 1.0));
    };
    if (glow > 0) paintGlow(p, glow, strength, [&](QPainter& lp) { strip(lp, 1.0); });
    p.save();
    strip(p, strength);
    p.restore();
}

void drawShowcasePanel(QPainter& p, const QRectF& rect, double radius) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // Glass sheen: a pale wedge in the upper-left corner, too faint to disturb text placed there.
    QPainterPath clip;
    clip.addRoundedRect(rect.adjusted(1.5, 1.5, -1.5, -1.5), radius, radius);
    p.setClipPath(clip);
    QLinearGradient sheen(rect.topLeft(), rect.topLeft() + QPointF(rect.height() * 0.5, rect.height() * 0.7));
    sheen.setColorAt(0.0, QColor(255, 255, 255, 26));
    sheen.setColorAt(0.45, QColor(255, 255, 255, 8));
    sheen.setColorAt(0.46, QColor(255, 255, 255, 0));
    p.fillRect(rect, sheen);
    // Downlight from the cabinet top.
    QLinearGradient down(rect.topLeft(), rect.topLeft() + QPointF(0, 14));
    down.setColorAt(0.0, QColor(palette::green.red(), palette::green.green(), palette::green.blue(), 40));
    down.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(rect.left(), rect.top(), rect.width(), 14), down);
    p.setClipping(false);
    p.restore();
    drawMetalFrame(p, rect, radius);
    drawLightStrip(p, QPointF(rect.left() + radius, rect.top() + 1.5), rect.width() - 2 * radius,
                   palette::green, 3, 0.55);
}

void drawWindowFrame(QPainter& p, QSize size) {
    const QRectF outer(3.5, 3.5, size.width() - 7, size.height() - 7);
    drawMetalFrame(p, outer, 7);
    // Corner studs: small lit points where the frame turns, as on a cabinet's brass fittings.
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF corners[] = {outer.topLeft() + QPointF(7, 7), outer.topRight() + QPointF(-7, 7),
                               outer.bottomLeft() + QPointF(7, -7), outer.bottomRight() + QPointF(-7, -7)};
    for (const QPointF& c : corners) {
        QRadialGradient stud(c, 2.2);
        stud.setColorAt(0.0, QColor(200, 206, 203));
        stud.setColorAt(0.6, QColor(90, 96, 93));
        stud.setColorAt(1.0, QColor(20, 22, 21, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(stud);
        p.drawEllipse(c, 2.2, 2.2);
    }
    p.restore();
    drawLightStrip(p, QPointF(outer.left() + 24, outer.top() + 0.5), outer.width() - 48, palette::green, 4,
                   0.7);
}

void drawEmblem(QPainter& p, const QRectF& sq) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(sq.topLeft());
    const double s = sq.width();
    auto pt = [s](double x, double y) { return QPointF(x * s, y * s); };

    // The case: a dark glass box with a lit top and a metal plinth.
    const QRectF box(pt(0.08, 0.05), pt(0.92, 0.95));
    QPainterPath casePath;
    casePath.addRoundedRect(box, s * 0.1, s * 0.1);
    QLinearGradient glass(box.topLeft(), box.bottomLeft());
    glass.setColorAt(0.0, QColor(22, 40, 22));
    glass.setColorAt(0.5, QColor(6, 12, 7));
    glass.setColorAt(1.0, QColor(0, 0, 0));
    p.fillPath(casePath, glass);
    QRadialGradient spot(pt(0.5, 0.08), s * 0.55);
    spot.setColorAt(0.0, QColor(140, 255, 120, 90));
    spot.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillPath(casePath, spot);

    const QRectF plinth(pt(0.08, 0.80), pt(0.92, 0.95));
    QPainterPath plinthPath;
    plinthPath.addRoundedRect(plinth, s * 0.06, s * 0.06);
    QLinearGradient metal(plinth.topLeft(), plinth.bottomLeft());
    metal.setColorAt(0.0, QColor(200, 206, 203));
    metal.setColorAt(0.5, QColor(110, 116, 113));
    metal.setColorAt(1.0, QColor(50, 54, 52));
    p.fillPath(plinthPath.intersected(casePath), metal);

    // The V, cut as a gem: the left facet catches the light, the right one lies in shade.
    QPainterPath left;
    left.moveTo(pt(0.22, 0.20));
    left.lineTo(pt(0.40, 0.20));
    left.lineTo(pt(0.50, 0.56));
    left.lineTo(pt(0.50, 0.78));
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(pt(0.78, 0.20));
    right.lineTo(pt(0.60, 0.20));
    right.lineTo(pt(0.50, 0.56));
    right.lineTo(pt(0.50, 0.78));
    right.closeSubpath();
    QLinearGradient lit(pt(0.22, 0.2), pt(0.5, 0.78));
    lit.setColorAt(0.0, palette::greenLit);
    lit.setColorAt(1.0, palette::green);
    QLinearGradient shade(pt(0.78, 0.2), pt(0.5, 0.78));
    shade.setColorAt(0.0, QColor(96, 196, 82));
    shade.setColorAt(1.0, QColor(34, 112, 30));
    paintGlow(p, std::max(2, qRound(s * 0.08)), 0.9, [&](QPainter& lp) {
        lp.fillPath(left, palette::green);
        lp.fillPath(right, palette::green);
    });
    p.fillPath(left, lit);
    p.fillPath(right, shade);
    p.setPen(QPen(QColor(235, 255, 225, 200), std::max(0.6, s * 0.012)));
    p.drawLine(pt(0.5, 0.56), pt(0.5, 0.78));

    // Glass edge and a reflection across the front pane.
    p.setClipPath(casePath);
    QPainterPath reflection;
    reflection.moveTo(pt(0.08, 0.46));
    reflection.lineTo(pt(0.50, 0.05));
    reflection.lineTo(pt(0.64, 0.05));
    reflection.lineTo(pt(0.08, 0.60));
    reflection.closeSubpath();
    p.fillPath(reflection, QColor(255, 255, 255, 30));
    p.setClipping(false);
    QLinearGradient rim(box.topLeft(), box.bottomLeft());
    rim.setColorAt(0.0, QColor(210, 216, 213));
    rim.setColorAt(0.6, QColor(90, 96, 93));
    rim.setColorAt(1.0, QColor(60, 64, 62));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(rim), std::max(1.0, s * 0.035)));
    p.drawRoundedRect(box, s * 0.1, s * 0.1);
    p.restore();
}

void drawWordMark(QPainter& p, const QRectF& rect, double pixelSize) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = narrowFont(pixelSize, true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, pixelSize * 0.06);
    const QString word = QStringLiteral("vitrinex");
    QPainterPath path;
    path.addText(0, 0, font, word);
    const QRectF bounds = path.boundingRect();
    path.translate(rect.center() - bounds.center());
    const QRectF placed = path.boundingRect();
    QLinearGradient metal(placed.topLeft(), placed.bottomLeft());
    metal.setColorAt(0.0, QColor(255, 255, 255));
    metal.setColorAt(0.55, QColor(214, 220, 217));
    metal.setColorAt(0.56, QColor(160, 168, 164));
    metal.setColorAt(1.0, QColor(205, 212, 208));
    paintGlow(p, std::max(2, qRound(pixelSize * 0.18)), 0.45,
              [&](QPainter& lp) { lp.fillPath(path, palette::green); });
    p.fillPath(path, metal);
    p.restore();
}

} // namespace vitrinex::artgen
