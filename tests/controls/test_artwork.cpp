// The skin, sounds and icon shipped in assets/: what the windows, the picture-button rule, the scroll
// bars and the sound player rely on.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QXmlStreamReader>
#include <QtEndian>

#include <optional>

namespace {

const QString kAssets = QStringLiteral(VITRINEX_ASSETS_DIR);
QString skinFile(const QString& name) {
    return kAssets + QStringLiteral("/skin/") + name;
}

QImage readExactly(const QString& path, const QByteArray& format) {
    QImageReader reader(path);
    if (reader.format() != format) return {};
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

// Mean absolute difference per colour channel, 0 to 255.
double meanDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) return 255;
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return double(sum) / (3.0 * a.width() * a.height());
}

double meanLightness(const QImage& image) {
    qint64 sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y));
    return double(sum) / (image.width() * image.height());
}

struct Wave {
    quint16 format, channels, bits;
    quint32 rate;
    QByteArray data;
};

// Walks the RIFF chunks with every length checked against the file.
std::optional<Wave> parseWave(const QByteArray& file) {
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE") return std::nullopt;
    const auto* bytes = reinterpret_cast<const uchar*>(file.constData());
    std::optional<Wave> wave;
    bool haveFormat = false;
    qsizetype at = 12;
    while (at + 8 <= file.size()) {
        const QByteArray id = file.mid(at, 4);
        const quint32 length = qFromLittleEndian<quint32>(bytes + at + 4);
        if (length > quint64(file.size() - at - 8)) return std::nullopt;
        if (id == "fmt " && length >= 16) {
            wave = Wave{qFromLittleEndian<quint16>(bytes + at + 8),
                        qFromLittleEndian<quint16>(bytes + at + 10),
                        qFromLittleEndian<quint16>(bytes + at + 22),
                        qFromLittleEndian<quint32>(bytes + at + 12),
                        {}};
            haveFormat = true;
        } else if (id == "data" && haveFormat) {
            wave->data = file.mid(at + 8, length);
            return wave;
        }
        at += 8 + length + (length & 1);
    }
    return std::nullopt;
}

} // namespace

class TestArtwork : public QObject {
    Q_OBJECT

private slots:
    void windowPictures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::newRow("main") << "mainbg14.jpg" << QSize(501, 399);
        QTest::newRow("add") << "addbg.jpg" << QSize(380, 396);
        QTest::newRow("old") << "oldbg.jpg" << QSize(250, 150);
        QTest::newRow("exit") << "dialogboxbg.jpg" << QSize(243, 100);
        QTest::newRow("update") << "updatebg.jpg" << QSize(301, 180);
        QTest::newRow("new") << "newbg2.jpg" << QSize(293, 174);
        QTest::newRow("print") << "newprintbg.jpg" << QSize(301, 210);
        QTest::newRow("stats") << "statsbg.jpg" << QSize(378, 337);
        QTest::newRow("splash") << "splashbg14.jpg" << QSize(300, 214);
    }
    void windowPictures() {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const QImage image = readExactly(skinFile(name), "jpeg");
        QCOMPARE(image.size(), size);
        // Labels and fields lie on these pictures: they are dark, not merely present.
        QVERIFY2(meanLightness(image) < 40, qPrintable(name));
    }

    void aboutPictureFitsAboveOk() {
        const QImage image = readExactly(skinFile(QStringLiteral("acape2s.jpg")), "jpeg");
        QVERIFY(!image.isNull());
        // The about window is 301 x 180 with its OK button at y 128; the picture goes above it, inside
        // the window's frame.
        QVERIFY(image.width() <= 301 - 16 && image.height() <= 128 - 16);
    }

    void imageLists_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("cell");
        QTest::addColumn<int>("count");
        QTest::newRow("1") << "ImageList1.png" << QSize(75, 43) << 6;
        QTest::newRow("2") << "ImageList2.png" << QSize(75, 29) << 18;
        QTest::newRow("3") << "ImageList3.png" << QSize(67, 43) << 10;
        QTest::newRow("4") << "ImageList4.png" << QSize(158, 40) << 4;
    }
    void imageLists() {
        QFETCH(QString, name);
        QFETCH(QSize, cell);
        QFETCH(int, count);
        const QImage strip = readExactly(skinFile(name), "png");
        QCOMPARE(strip.size(), QSize(cell.width() * count, cell.height()));
        QList<QImage> normals;
        for (int i = 0; i < count; i += 2) {
            const QImage normal = strip.copy(QRect(QPoint(i * cell.width(), 0), cell));
            const QImage lit = strip.copy(QRect(QPoint((i + 1) * cell.width(), 0), cell));
            QVERIFY2(meanDifference(normal, lit) > 8, qPrintable(QStringLiteral("pair %1").arg(i)));
            QVERIFY2(meanLightness(lit) > meanLightness(normal) + 8,
                     qPrintable(QStringLiteral("pair %1").arg(i)));
            // The pressed look is the lit picture one pixel down and right, and the normal picture
            // later covers only its own place: every edge pixel must be as black as the window behind.
            for (const QImage& look : {normal, lit}) {
                for (int x = 0; x < cell.width(); ++x)
                    QVERIFY(qGray(look.pixel(x, 0)) < 8 && qGray(look.pixel(x, cell.height() - 1)) < 8);
                for (int y = 0; y < cell.height(); ++y)
                    QVERIFY(qGray(look.pixel(0, y)) < 8 && qGray(look.pixel(cell.width() - 1, y)) < 8);
            }
            for (const QImage& other : normals)
                QVERIFY2(meanDifference(other, normal) > 1, "two buttons of a list look the same");
            normals.append(normal);
        }
    }

    void offPictures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QSize>("cell");
        QTest::addColumn<int>("index");
        const QSize il1(75, 43), il2(75, 29), il3(67, 43), il4(158, 40);
        const struct {
            const char* name;
            int list;
            QSize cell;
            int index;
        } rows[] = {{"helpoff.jpg", 1, il1, 2},   {"updateoff.jpg", 1, il1, 4},  {"bexitoff.jpg", 1, il1, 0},
                    {"newoff.jpg", 4, il4, 0},    {"openoff.jpg", 4, il4, 2},    {"maddoff.jpg", 3, il3, 0},
                    {"mcloseoff.jpg", 3, il3, 2}, {"mdeleteoff.jpg", 3, il3, 4}, {"meditoff.jpg", 3, il3, 6},
                    {"mprintoff.jpg", 3, il3, 8}, {"okoff.jpg", 2, il2, 10},     {"OkOff.jpg", 2, il2, 10},
                    {"canceloff.jpg", 2, il2, 2}, {"addoff.jpg", 2, il2, 0},     {"editoff.jpg", 2, il2, 6},
                    {"deleteoff.jpg", 2, il2, 4}, {"exitoff.jpg", 2, il2, 8},    {"printoff.jpg", 2, il2, 12},
                    {"statsoff.jpg", 2, il2, 16}};
        for (const auto& r : rows)
            QTest::newRow(r.name) << QString::fromLatin1(r.name)
                                  << QStringLiteral("ImageList%1.png").arg(r.list) << r.cell << r.index;
    }
    void offPictures() {
        QFETCH(QString, name);
        QFETCH(QString, list);
        QFETCH(QSize, cell);
        QFETCH(int, index);
        const QImage off = readExactly(skinFile(name), "jpeg");
        QCOMPARE(off.size(), cell);
        const QImage strip = readExactly(skinFile(list), "png");
        const QImage normal = strip.copy(QRect(QPoint(index * cell.width(), 0), cell));
        const QImage lit = strip.copy(QRect(QPoint((index + 1) * cell.width(), 0), cell));
        // The normal picture is the button itself and the list's picture is painted over it when the
        // pointer leaves: the two must not visibly differ.
        QVERIFY2(meanDifference(off, normal) < 2.5, qPrintable(QString::number(meanDifference(off, normal))));
        QVERIFY(meanDifference(off, lit) > 8);
    }

    void mainButtonsSitOnBlack() {
        // A button is a rectangle laid on the main picture; whatever lies under its edge shows as a seam.
        const QImage background = readExactly(skinFile(QStringLiteral("mainbg14.jpg")), "jpeg");
        QVERIFY(!background.isNull());
        const QRect buttons[] = {
            {392, 23, 75, 43}, {396, 66, 75, 43}, {398, 109, 75, 43}, {148, 52, 158, 40}, {192, 92, 158, 40},
            {150, 50, 67, 43}, {280, 97, 67, 43}, {281, 46, 67, 43},  {217, 68, 67, 43},  {152, 95, 67, 43}};
        for (const QRect& r : buttons) {
            // One pixel larger: the pressed look reaches one pixel beyond the button.
            const QRect ring = r.adjusted(0, 0, 1, 1);
            for (int x = ring.left(); x <= ring.right(); ++x)
                QVERIFY(qGray(background.pixel(x, ring.top())) < 10 &&
                        qGray(background.pixel(x, ring.bottom())) < 10);
            for (int y = ring.top(); y <= ring.bottom(); ++y)
                QVERIFY(qGray(background.pixel(ring.left(), y)) < 10 &&
                        qGray(background.pixel(ring.right(), y)) < 10);
        }
    }

    void scrollBitmaps_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        for (const char* bar : {"listbar", "commentbar"}) {
            const bool list = qstrcmp(bar, "listbar") == 0;
            const auto row = [bar](const char* part) -> QTestData& {
                const QString name = QStringLiteral("%1-%2.png").arg(QLatin1String(bar), QLatin1String(part));
                return QTest::newRow(qPrintable(name)) << name;
            };
            row("top") << QSize(18, 12);
            row("track") << (list ? QSize(18, 130) : QSize(14, 39));
            row("bottom") << QSize(18, 13);
            row("thumb") << QSize(13, 13);
        }
    }
    void scrollBitmaps() {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const QImage image = readExactly(skinFile(name), "png");
        QCOMPARE(image.size(), size);
        if (name.endsWith(QLatin1String("-track.png")))
            // The bar stretches its track along the bar, so every row must be the same.
            for (int y = 1; y < image.height(); ++y)
                QCOMPARE(
                    meanDifference(image.copy(0, y, image.width(), 1), image.copy(0, 0, image.width(), 1)),
                    0.0);
    }

    void resourceListNamesEverySkinFile() {
        QFile qrc(skinFile(QStringLiteral("skin.qrc")));
        QVERIFY(qrc.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&qrc);
        QSet<QString> aliases;
        QString prefix;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("qresource"))
                prefix = xml.attributes().value(QLatin1String("prefix")).toString();
            if (xml.isStartElement() && xml.name() == QLatin1String("file")) {
                const QString alias = xml.attributes().value(QLatin1String("alias")).toString();
                const QString path = xml.readElementText();
                QVERIFY2(QFile::exists(skinFile(path)), qPrintable(path));
                aliases.insert(alias.isEmpty() ? path : alias);
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(prefix, QStringLiteral("/skin"));
        QSet<QString> files;
        for (const QString& f : QDir(kAssets + QStringLiteral("/skin")).entryList(QDir::Files))
            if (!f.endsWith(QLatin1String(".qrc"))) files.insert(f);
        QCOMPARE(aliases, files);
    }

    void sounds() {
        const QStringList names = {"v10bp.qys", "v10op.qys", "v10cs.qys",
                                   "v10ad.qys", "v10dt.qys", "v10up.qys"};
        QList<QByteArray> seen;
        for (const QString& name : names) {
            QFile file(kAssets + QLatin1Char('/') + name);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(name));
            const std::optional<Wave> wave = parseWave(file.readAll());
            QVERIFY2(wave.has_value(), qPrintable(name));
            QCOMPARE(wave->format, quint16(1));
            QCOMPARE(wave->channels, quint16(1));
            QCOMPARE(wave->bits, quint16(16));
            QCOMPARE(wave->rate, quint32(22050));
            const qsizetype samples = wave->data.size() / 2;
            const double seconds = double(samples) / wave->rate;
            QVERIFY2(seconds >= 0.08 && seconds <= 0.6, qPrintable(name + QString::number(seconds)));
            // Soft start and end: no click at either edge.
            const auto* s = reinterpret_cast<const uchar*>(wave->data.constData());
            QVERIFY(qAbs(qFromLittleEndian<qint16>(s)) < 300);
            QVERIFY(qAbs(qFromLittleEndian<qint16>(s + 2 * (samples - 1))) < 300);
            qint16 peak = 0;
            for (qsizetype i = 0; i < samples; ++i)
                peak = qMax<qint16>(peak, qAbs(qFromLittleEndian<qint16>(s + 2 * i)));
            QVERIFY2(peak > 8000, "audible");
            QVERIFY2(!seen.contains(wave->data), qPrintable(name));
            seen.append(wave->data);
        }
    }

    void icon() {
        QImageReader reader(kAssets + QStringLiteral("/qy.qyi"), "ico");
        QCOMPARE(reader.imageCount(), 2);
        QSet<int> sides;
        for (int i = 0; i < reader.imageCount(); ++i) {
            QVERIFY(reader.jumpToImage(i));
            const QImage image = reader.read();
            QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
            QCOMPARE(image.width(), image.height());
            QVERIFY(meanLightness(image.convertToFormat(QImage::Format_RGB32)) > 5);
            sides.insert(image.width());
        }
        QCOMPARE(sides, (QSet<int>{16, 32}));
    }
};

QTEST_MAIN(TestArtwork)
#include "test_artwork.moc"
