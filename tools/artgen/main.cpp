// vitrinex-artgen <assets-dir> [--preview <file.png>]
// Paints the skin (window pictures, button strips, scroll-bar bitmaps), the sounds and the icon, and
// writes them into the assets folder; with --preview it also composes a few windows from the written
// files into one picture for a look at the result.
#include "Backgrounds.h"
#include "Buttons.h"
#include "IconFile.h"
#include "JpegFile.h"
#include "ScrollBars.h"
#include "Sounds.h"
#include "Style.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QTextStream>

#include <cmath>
#include <cstdio>

using namespace vitrinex::artgen;

namespace {

// Background pictures keep the usual photo quality; the buttons' own pictures are kept as close as
// JPEG allows to the strip pictures painted over them when lit.
constexpr int kBackgroundQuality = 92;
constexpr int kButtonQuality = 100;

class Writer {
public:
    explicit Writer(const QString& assets) : assets_(assets), skin_(assets + QStringLiteral("/skin")) {}

    bool failed() const { return failures_ > 0; }
    const QDir& assets() const { return assets_; }
    const QDir& skin() const { return skin_; }

    void jpeg(const QString& name, const QImage& image, int quality) {
        bytes(skin_, name, jpegFile(image, quality));
    }

    void png(const QString& name, const QImage& image) {
        png(skin_, name, image.convertToFormat(QImage::Format_RGB32));
    }

    void png(const QDir& dir, const QString& name, const QImage& image) {
        QSaveFile file(dir.filePath(name));
        QImageWriter writer(&file, "png");
        if (!file.open(QIODevice::WriteOnly) || !writer.write(image) || !file.commit())
            fail(file.fileName(), writer.errorString().isEmpty() ? file.errorString() : writer.errorString());
    }

    void bytes(const QDir& dir, const QString& name, const QByteArray& data) {
        QSaveFile file(dir.filePath(name));
        if (data.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(data) != data.size() ||
            !file.commit())
            fail(dir.filePath(name),
                 data.isEmpty() ? QStringLiteral("nothing to write") : file.errorString());
    }

    void fail(const QString& path, const QString& why) {
        std::fprintf(stderr, "vitrinex-artgen: cannot write %s: %s\n", qPrintable(path), qPrintable(why));
        ++failures_;
    }

private:
    QDir assets_;
    QDir skin_;
    int failures_ = 0;
};

// Every skin picture at 1x ("name.jpg") and at 2x ("name@2x.jpg"), for screens with twice the pixels.
QString scaledName(const QString& name, int scale) {
    if (scale == 1) return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return name.left(dot) + QStringLiteral("@%1x").arg(scale) + name.mid(dot);
}

void writeSkin(Writer& w) {
    for (int scale : {1, 2}) {
        setPictureScale(scale);
        for (const WindowPictureArt& art : windowPictures())
            w.jpeg(scaledName(art.fileName, scale), art.paint(art.size), kBackgroundQuality);

        std::vector<QImage> strips;
        for (const ImageListArt& list : imageLists()) {
            strips.push_back(paintImageList(list));
            w.png(scaledName(list.fileName, scale), strips.back());
        }
        for (const OffPictureArt& off : offPictures()) {
            const QSize cell = imageLists()[off.list].cell * scale;
            const QImage normal = strips[off.list].copy(QRect(QPoint(off.index * cell.width(), 0), cell));
            w.jpeg(scaledName(off.fileName, scale), normal, kButtonQuality);
        }
        for (const ScrollBitmapArt& bitmap : scrollBitmaps())
            w.png(scaledName(bitmap.fileName, scale), paintScrollPart(bitmap.part, bitmap.size));
    }
    setPictureScale(1);
}

void writeResourceList(Writer& w) {
    QStringList files;
    for (const QString& f : w.skin().entryList(QDir::Files, QDir::Name))
        if (!f.endsWith(QLatin1String(".qrc"))) files.append(f);
    QByteArray text;
    QTextStream out(&text);
    out << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/skin\">\n";
    for (const QString& f : files)
        out << "    <file alias=\"" << f << "\">" << f << "</file>\n";
    out << "</qresource>\n</RCC>\n";
    out.flush();
    w.bytes(w.skin(), QStringLiteral("skin.qrc"), text);
}

void writeSounds(Writer& w) {
    for (const SoundArt& sound : sounds())
        w.bytes(w.assets(), sound.fileName, wavFile(renderNotes(sound.notes), kSampleRate));
}

void writeIcon(Writer& w) {
    // Painted large and scaled down, so the small sizes keep the mark's proportions.
    QImage big(256, 256, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter p(&big);
        drawEmblem(p, QRectF(0, 0, 256, 256));
    }
    QList<QImage> sizes;
    for (int side : {32, 16})
        sizes.append(big.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    w.bytes(w.assets(), QStringLiteral("qy.qyi"), icoFile(sizes));

    // The desktop's icon theme folders (hicolor), with transparency.
    for (int side : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("icons/hicolor/%1x%1/apps").arg(side);
        if (!w.assets().mkpath(folder)) {
            w.fail(w.assets().filePath(folder), QStringLiteral("cannot create the folder"));
            continue;
        }
        const QImage image = side == big.width()
                                 ? big
                                 : big.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        w.png(QDir(w.assets().filePath(folder)), QStringLiteral(VITRINEX_DESKTOP_ID ".png"),
              image.convertToFormat(QImage::Format_ARGB32));
    }
}

// --- preview --------------------------------------------------------------------------------------

QImage load(const Writer& w, const QString& name) {
    return QImage(w.skin().filePath(name));
}

QImage cell(const Writer& w, int list, int index) {
    const ImageListArt& art = imageLists()[list];
    return load(w, art.fileName).copy(QRect(QPoint(index * art.cell.width(), 0), art.cell));
}

// The bar as the scroll-bar control lays it out: ends scaled with the bar's height, track stretched,
// thumb at the top.
void drawBar(QPainter& p, const Writer& w, const QString& prefix, QRect bar) {
    const QImage top = load(w, prefix + QStringLiteral("-top.png"));
    const QImage track = load(w, prefix + QStringLiteral("-track.png"));
    const QImage bottom = load(w, prefix + QStringLiteral("-bottom.png"));
    const QImage thumb = load(w, prefix + QStringLiteral("-thumb.png"));
    const double natural = top.height() + track.height() + bottom.height();
    const int t = int(std::nearbyint(top.height() * bar.height() / natural));
    const int b = int(std::nearbyint(bottom.height() * bar.height() / natural));
    const int tr = bar.height() - t - b;
    p.drawImage(QRect(bar.x(), bar.y(), bar.width(), t), top);
    p.drawImage(QRect(bar.x(), bar.y() + t, bar.width(), tr), track);
    p.drawImage(QRect(bar.x(), bar.y() + t + tr, bar.width(), b), bottom);
    p.drawImage(QRect(bar.x(), bar.y() + t + 20, bar.width(), thumb.height()), thumb);
}

void label(QPainter& p, int x, int y, const QString& text, QColor colour, int px = 13) {
    p.setFont(narrowFont(px, true));
    p.setPen(colour);
    p.drawText(QPoint(x, y + px), text);
}

void writePreview(const Writer& w, const QString& path) {
    QImage canvas(1420, 900, QImage::Format_RGB32);
    canvas.fill(QColor(60, 60, 60));
    QPainter p(&canvas);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Main window, no collection, Open lit.
    p.save();
    p.translate(10, 10);
    p.drawImage(0, 0, load(w, QStringLiteral("mainbg14.jpg")));
    p.drawImage(392, 23, load(w, QStringLiteral("helpoff.jpg")));
    p.drawImage(396, 66, load(w, QStringLiteral("updateoff.jpg")));
    p.drawImage(398, 109, load(w, QStringLiteral("bexitoff.jpg")));
    p.drawImage(148, 52, load(w, QStringLiteral("newoff.jpg")));
    p.drawImage(192, 92, cell(w, 3, 3));
    p.restore();

    // Main window, collection open, an item shown, Edit lit and Help pressed.
    p.save();
    p.translate(520, 10);
    p.drawImage(0, 0, load(w, QStringLiteral("mainbg14.jpg")));
    p.drawImage(393, 24, cell(w, 0, 3));
    p.drawImage(396, 66, load(w, QStringLiteral("updateoff.jpg")));
    p.drawImage(398, 109, load(w, QStringLiteral("bexitoff.jpg")));
    p.drawImage(150, 50, load(w, QStringLiteral("maddoff.jpg")));
    p.drawImage(280, 97, load(w, QStringLiteral("mcloseoff.jpg")));
    p.drawImage(281, 46, load(w, QStringLiteral("mdeleteoff.jpg")));
    p.drawImage(217, 68, cell(w, 2, 7));
    p.drawImage(152, 95, load(w, QStringLiteral("mprintoff.jpg")));
    label(p, 28, 184, QStringLiteral("total items:  12"), palette::white, 14);
    const QStringList items = {"Boba Fett", "C-3PO",          "Chewbacca",      "Darth Vader",   "Han Solo",
                               "Lando",     "Luke Skywalker", "Obi-Wan Kenobi", "Princess Leia", "R2-D2"};
    for (int i = 0; i < items.size(); ++i) {
        if (i == 3) p.fillRect(QRect(34, 205 + 16 * i, 160, 16), QColor(30, 90, 28));
        label(p, 37, 205 + 16 * i, items[i], palette::white, 12);
    }
    drawBar(p, w, QStringLiteral("listbar"), QRect(194, 205, 18, 161));
    label(p, 249, 190, QStringLiteral("Darth Vader"), palette::white, 15);
    label(p, 255, 228, QStringLiteral("year:"), palette::green);
    label(p, 291, 228, QStringLiteral("1978"), palette::white);
    label(p, 352, 228, QStringLiteral("quantity:"), palette::green);
    label(p, 405, 228, QStringLiteral("2"), palette::white);
    label(p, 258, 250, QStringLiteral("series:"), palette::green);
    label(p, 303, 250, QStringLiteral("Star Wars"), palette::white);
    label(p, 254, 273, QStringLiteral("price:"), palette::green);
    label(p, 293, 273, QStringLiteral("$125"), palette::white);
    label(p, 352, 273, QStringLiteral("net change:"), palette::green);
    label(p, 423, 273, QStringLiteral("$+5"), palette::white);
    label(p, 254, 295, QStringLiteral("condition:"), palette::green);
    label(p, 313, 295, QStringLiteral("C-9"), palette::white);
    label(p, 352, 295, QStringLiteral("catalog #:"), palette::green);
    label(p, 413, 295, QStringLiteral("38180"), palette::white);
    label(p, 255, 314, QStringLiteral("comments:"), palette::green);
    label(p, 319, 312, QStringLiteral("mint on card, first "), palette::white, 12);
    label(p, 319, 326, QStringLiteral("release"), palette::white, 12);
    drawBar(p, w, QStringLiteral("commentbar"), QRect(453, 312, 21, 61));
    p.restore();

    // Dialogs.
    p.save();
    p.translate(10, 420);
    p.drawImage(0, 0, load(w, QStringLiteral("oldbg.jpg")));
    label(p, 40, 40, QStringLiteral("are you sure you want to delete"), palette::white);
    label(p, 80, 58, QStringLiteral("Darth Vader?"), palette::white);
    p.drawImage(42, 100, load(w, QStringLiteral("deleteoff.jpg")));
    p.drawImage(134, 100, cell(w, 1, 3));
    p.translate(0, 160);
    p.drawImage(0, 0, load(w, QStringLiteral("dialogboxbg.jpg")));
    label(p, 50, 18, QStringLiteral("are you sure you want to exit?"), palette::white);
    p.drawImage(40, 50, cell(w, 1, 9));
    p.drawImage(128, 50, load(w, QStringLiteral("canceloff.jpg")));
    p.translate(0, 110);
    p.drawImage(0, 0, load(w, QStringLiteral("newbg2.jpg")));
    label(p, 25, 28, QStringLiteral("collection name:"), palette::green);
    p.drawImage(65, 124, load(w, QStringLiteral("okoff.jpg")));
    p.drawImage(153, 124, load(w, QStringLiteral("canceloff.jpg")));
    p.restore();

    p.save();
    p.translate(320, 420);
    p.drawImage(0, 0, load(w, QStringLiteral("updatebg.jpg")));
    p.drawImage(18, 14, load(w, QStringLiteral("acape2s.jpg")));
    p.drawImage(113, 128, cell(w, 1, 11));
    p.translate(0, 190);
    p.drawImage(0, 0, load(w, QStringLiteral("splashbg14.jpg")));
    p.restore();

    p.save();
    p.translate(635, 420);
    p.drawImage(0, 0, load(w, QStringLiteral("addbg.jpg")));
    p.setFont(narrowFont(19, true));
    p.setPen(palette::white);
    p.drawText(QRect(29, 28, 321, 45), Qt::AlignCenter | Qt::TextWordWrap,
               QStringLiteral("Kenner - Star Wars - 1977-1985"));
    label(p, 52, 133, QStringLiteral("name:"), palette::green);
    p.fillRect(QRect(91, 129, 152, 24), Qt::black);
    p.setPen(QColor(80, 80, 80));
    p.drawRect(QRect(91, 129, 152, 24));
    label(p, 28, 254, QStringLiteral("comments:"), palette::green);
    p.drawImage(97, 336, load(w, QStringLiteral("addoff.jpg")));
    p.drawImage(209, 336, load(w, QStringLiteral("canceloff.jpg")));
    p.restore();

    p.save();
    p.translate(1030, 10);
    p.drawImage(0, 0, load(w, QStringLiteral("statsbg.jpg")));
    label(p, 30, 112, QStringLiteral("collection value:"), palette::green);
    label(p, 141, 112, QStringLiteral("$1520.5"), palette::white);
    label(p, 30, 160, QStringLiteral("high item:"), palette::green);
    p.drawImage(152, 282, load(w, QStringLiteral("okoff.jpg")));
    p.translate(0, 350);
    p.drawImage(0, 0, load(w, QStringLiteral("newprintbg.jpg")));
    label(p, 47, 22, QStringLiteral("check the information to print."), palette::white, 15);
    label(p, 61, 60, QStringLiteral("catalog #"), palette::green);
    label(p, 173, 116, QStringLiteral("year"), palette::white);
    p.drawImage(53, 156, load(w, QStringLiteral("printoff.jpg")));
    p.drawImage(173, 156, load(w, QStringLiteral("canceloff.jpg")));
    p.translate(0, 220);
    QImageReader icon(w.assets().filePath(QStringLiteral("qy.qyi")), "ico");
    for (int i = 0; i < icon.imageCount(); ++i) {
        icon.jumpToImage(i);
        const QImage image = icon.read();
        p.drawImage(QRect(10 + 120 * i, 10, image.width() * 3, image.height() * 3), image);
        p.drawImage(250 + 40 * i, 10, image);
    }
    p.restore();

    p.end();
    if (!canvas.save(path, "PNG"))
        std::fprintf(stderr, "vitrinex-artgen: cannot write %s\n", qPrintable(path));
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString preview;
    if (const qsizetype at = args.indexOf(QStringLiteral("--preview")); at >= 0 && at + 1 < args.size()) {
        preview = args.at(at + 1);
        args.remove(at, 2);
    }
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: vitrinex-artgen <assets-dir> [--preview <file.png>]\n");
        return 2;
    }
    const QString assets = args.first();
    if (!QDir().mkpath(assets + QStringLiteral("/skin"))) {
        std::fprintf(stderr, "vitrinex-artgen: cannot create %s/skin\n", qPrintable(assets));
        return 1;
    }
    Writer writer(assets);
    writeSkin(writer);
    writeResourceList(writer);
    writeSounds(writer);
    writeIcon(writer);
    if (!preview.isEmpty()) writePreview(writer, preview);
    return writer.failed() ? 1 : 0;
}
