#include "Backgrounds.h"

#include "Style.h"

#include "Version.h"

#include <QRadialGradient>

namespace vitrinex::artgen {

namespace {

// A soft pool of light, as from a spot above the cabinet.
void drawSpot(QPainter& p, QPointF centre, double radius, int alpha) {
    QRadialGradient g(centre, radius);
    g.setColorAt(0.0, QColor(palette::green.red(), palette::green.green(), palette::green.blue(), alpha));
    g.setColorAt(0.5, QColor(palette::green.red(), palette::green.green(), palette::green.blue(), alpha / 4));
    g.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Plus);
    p.fillRect(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), g);
    p.restore();
}

// A recessed well one pixel outside a control, so a list sits in the panel rather than on it.
void drawWell(QPainter& p, QRect control) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect r = control.adjusted(-1, -1, 0, 0);
    p.setPen(QColor(26, 29, 28));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(QColor(70, 75, 73));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.restore();
}

// A divider across a dialog: a lit rule between two groups of controls.
void drawDivider(QPainter& p, QSize size, double y) {
    drawLightStrip(p, QPointF(24, y), size.width() - 48, palette::green, 3, 0.6);
}

QImage paintDialog(QSize size) {
    QImage image = blankImage(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawWindowFrame(p, size);
    return image;
}

QImage withDividers(QSize size, std::initializer_list<double> ys) {
    QImage image = paintDialog(size);
    QPainter p(&image);
    for (double y : ys)
        drawDivider(p, size, y);
    return image;
}

QImage paintPlainDialog(QSize size) {
    return paintDialog(size);
}
QImage paintOldBackground(QSize size) {
    return withDividers(size, {94.5});
}
QImage paintNewBackground(QSize size) {
    return withDividers(size, {114.5});
}
QImage paintPrintBackground(QSize size) {
    return withDividers(size, {50.5, 145.5});
}
QImage paintStatsBackground(QSize size) {
    return withDividers(size, {96.5, 273.5});
}

QImage paintAddBackground(QSize size) {
    QImage image = withDividers(size, {326.5});
    QPainter p(&image);
    // A plate behind the title line, which names the collection the item goes into.
    drawShowcasePanel(p, QRectF(22.5, 21.5, size.width() - 45, 58), 6);
    return image;
}

QImage paintSplash(QSize size) {
    QImage image = paintDialog(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double cx = size.width() / 2.0;
    drawSpot(p, QPointF(cx, 40), 110, 70);
    drawEmblem(p, QRectF(cx - 34, 18, 68, 68));
    drawWordMark(p, QRectF(cx - 100, 90, 160, 46), 44);
    // The version beside the word mark, in the cabinet's green.
    drawGlowText(p, QRectF(cx + 58, 98, 50, 40), Qt::AlignLeft | Qt::AlignVCenter,
                 QString::fromLatin1(kVersion), narrowFont(26, true), palette::green, palette::green, 3, 0.6);
    p.setFont(narrowFont(14, false));
    p.setPen(palette::grey);
    p.drawText(QRectF(0, 140, size.width(), 20), Qt::AlignCenter,
               QStringLiteral("the action figure collector's showcase"));
    drawLightStrip(p, QPointF(40, 170.5), size.width() - 80, palette::green, 4, 0.8);
    p.setFont(narrowFont(12, true));
    p.setPen(QColor(70, 150, 62));
    p.drawText(QRectF(0, 178, size.width(), 18), Qt::AlignCenter, QStringLiteral("quillory"));
    return image;
}

QImage paintAboutPicture(QSize size) {
    QImage image = blankImage(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawShowcasePanel(p, QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 7);
    drawSpot(p, QPointF(48, 14), 60, 50);
    drawEmblem(p, QRectF(14, 16, 68, 68));
    const QRectF text(92, 10, size.width() - 102, size.height() - 20);
    drawWordMark(p, QRectF(text.left(), text.top() + 2, text.width(), 40), 38);
    drawGlowText(p, QRectF(text.left(), text.top() + 44, text.width(), 18), Qt::AlignCenter,
                 QStringLiteral("version ") + QString::fromLatin1(kVersion), narrowFont(15, true),
                 palette::green, palette::green, 2, 0.5);
    p.setFont(narrowFont(12, false));
    p.setPen(palette::grey);
    p.drawText(QRectF(text.left(), text.top() + 62, text.width(), 16), Qt::AlignCenter,
               QStringLiteral("a quillory program"));
    return image;
}

} // namespace

QImage paintMainBackground(QSize size) {
    QImage image = blankImage(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawWindowFrame(p, size);

    // The logo compartment (the about hot spot), lit from above.
    drawSpot(p, QPointF(73, 22), 62, 60);
    drawEmblem(p, QRectF(54, 24, 38, 38));
    drawWordMark(p, QRectF(29, 64, 89, 24), 25);
    p.setFont(narrowFont(11, false));
    p.setPen(palette::grey);
    p.drawText(QRectF(20, 96, 106, 14), Qt::AlignCenter, QStringLiteral("collector's showcase"));
    p.setPen(QColor(70, 150, 62));
    p.drawText(QRectF(20, 110, 106, 14), Qt::AlignCenter,
               QStringLiteral("version ") + QString::fromLatin1(kVersion));

    // The glass shelf between the buttons and the display.
    drawLightStrip(p, QPointF(18, 166.5), size.width() - 36, palette::green, 5, 0.9);
    p.setPen(QColor(40, 44, 42));
    p.drawLine(QPointF(30, 168.5), QPointF(size.width() - 30, 168.5));

    // The item list compartment and the detail compartment.
    drawShowcasePanel(p, QRectF(20.5, 176.5, 202, 203), 6);
    drawShowcasePanel(p, QRectF(238.5, 176.5, 243, 203), 6);
    drawWell(p, QRect(34, 205, 178, 161));
    drawWell(p, QRect(317, 312, 157, 61));
    drawLightStrip(p, QPointF(250, 226.5), 220, palette::green, 2, 0.45);
    return image;
}

const std::vector<WindowPictureArt>& windowPictures() {
    static const std::vector<WindowPictureArt> pictures = {
        {QStringLiteral("mainbg14.jpg"), QSize(501, 399), paintMainBackground},
        {QStringLiteral("addbg.jpg"), QSize(380, 396), paintAddBackground},
        {QStringLiteral("oldbg.jpg"), QSize(250, 150), paintOldBackground},
        {QStringLiteral("dialogboxbg.jpg"), QSize(243, 100), paintPlainDialog},
        // One picture serves the update, update-type, find and about windows (up to 301 x 180).
        {QStringLiteral("updatebg.jpg"), QSize(301, 180), paintPlainDialog},
        {QStringLiteral("newbg2.jpg"), QSize(293, 174), paintNewBackground},
        {QStringLiteral("newprintbg.jpg"), QSize(301, 210), paintPrintBackground},
        {QStringLiteral("statsbg.jpg"), QSize(378, 337), paintStatsBackground},
        {QStringLiteral("splashbg14.jpg"), QSize(300, 214), paintSplash},
        // Sits above the about window's OK button (113, 128), for instance at (18, 14).
        {QStringLiteral("acape2s.jpg"), QSize(265, 104), paintAboutPicture},
    };
    return pictures;
}

} // namespace vitrinex::artgen
