// The picture control and its JPEG decoder: bitmap layout per option, option order, failures,
// layout loading, painting of looks and the mouse signals.

#include "controls/PictureControl.h"

#include <QDir>
#include <QImageWriter>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <cstdio>
#include <functional>

#include <jpeglib.h>
#include <sys/stat.h>

using namespace vitrinex;

namespace {

// Options from words ("16", "true", "ifast", "float", "none", "ordered", "fast", "grey", "nosmooth",
// "onepass"); anything not named keeps its default.
JpegOptions opts(const QString& words) {
    const QStringList w = words.split(' ');
    JpegOptions o;
    using C = TNumOfColors;
    o.numOfColors = w.contains("16") ? C::_16 : w.contains("true") ? C::TrueColor : C::_256;
    o.dctMethod = w.contains("ifast")   ? TDCTMethod::FastInteg
                  : w.contains("float") ? TDCTMethod::FloatingPoint
                                        : TDCTMethod::Integ;
    o.dither = w.contains("none") ? TDither::None : w.contains("ordered") ? TDither::Ordered : TDither::FS;
    o.fastProcessing = w.contains("fast"), o.grayScale = w.contains("grey");
    o.noSmooth = w.contains("nosmooth"), o.onePass = w.contains("onepass");
    return o;
}

// A Windows bitmap file image, read field by field; check() says what is inconsistent in it.
struct Bmp {
    QByteArray d;
    int width = 0, height = 0, bits = 0, colours = 0;
    qint64 stride = 0, offset = 0;

    uchar at(qint64 i) const { return uchar(d.at(i)); }
    quint32 u32(qint64 i) const {
        return at(i) | at(i + 1) << 8 | at(i + 2) << 16 | quint32(at(i + 3)) << 24;
    }
    QRgb entry(int i) const { return qRgb(at(56 + 4 * i), at(55 + 4 * i), at(54 + 4 * i)); }
    QRgb pixel(int x, int y) const { // y from the top; rows are stored bottom-up
        const qint64 row = offset + (height - 1 - y) * stride;
        return bits == 8 ? entry(at(row + x))
                         : qRgb(at(row + 3 * x + 2), at(row + 3 * x + 1), at(row + 3 * x));
    }
    QRgb average(QPoint c, int r = 3) const { // dithering noise cancels out
        int sum[3] = {}, n = 0;
        for (int y = c.y() - r; y <= c.y() + r; ++y)
            for (int x = c.x() - r; x <= c.x() + r; ++x, ++n)
                sum[0] += qRed(pixel(x, y)), sum[1] += qGreen(pixel(x, y)), sum[2] += qBlue(pixel(x, y));
        return qRgb(sum[0] / n, sum[1] / n, sum[2] / n);
    }
    QString check(const QByteArray& data) {
        d = data;
        if (d.size() < 54 || !d.startsWith("BM") || u32(2) != quint32(d.size())) return "bad file header";
        width = int(u32(18)), height = int(u32(22)), bits = at(28), colours = int(u32(46));
        if (u32(14) != 40 || width <= 0 || height <= 0 || (u32(26) & 0xffff) != 1 || u32(30) != 0)
            return "bad info header or rows not bottom-up";
        if (!(bits == 8 && colours >= 1 && colours <= 256) && !(bits == 24 && colours == 0))
            return QString("%1 bits with %2 colours").arg(bits).arg(colours);
        stride = (qint64(width) * bits / 8 + 3) / 4 * 4;
        offset = 54 + 4 * qint64(colours);
        if (u32(10) != offset || u32(34) != stride * height || d.size() != offset + stride * height)
            return "offsets or sizes disagree";
        for (int y = 0; y < height; ++y)
            for (qint64 x = 0; x < stride; ++x) {
                const uchar b = at(offset + y * stride + x);
                if (x >= qint64(width) * bits / 8 ? b != 0 : bits == 8 && b >= colours)
                    return "nonzero row padding or an index beyond the table";
            }
        return {};
    }
};

template <typename E> QString thrown(const std::function<void()>& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    } catch (...) {
        return "<another exception>";
    }
    return "<nothing thrown>";
}

// Left half a smooth gradient (far more than 256 colours); right half solid blocks, red and green
// above, blue and white below.
QImage scene(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y,
                           x < w / 2       ? qRgb(x * 510 / w, y * 255 / h, 255 - (x + y) * 255 / (w / 2 + h))
                           : y < h / 2     ? (x < w * 3 / 4 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                           : x < w * 3 / 4 ? qRgb(0, 0, 255)
                                           : qRgb(255, 255, 255));
    return image;
}

QList<QPoint> blockCentres(int w, int h) {
    return {{w * 5 / 8, h / 4}, {w * 7 / 8, h / 4}, {w * 5 / 8, h * 3 / 4}, {w * 7 / 8, h * 3 / 4}};
}

QRgb grey(QRgb c) {
    const int v = (299 * qRed(c) + 587 * qGreen(c) + 114 * qBlue(c) + 500) / 1000;
    return qRgb(v, v, v);
}

bool near(QRgb a, QRgb b, int tol) {
    return qAbs(qRed(a) - qRed(b)) <= tol && qAbs(qGreen(a) - qGreen(b)) <= tol &&
           qAbs(qBlue(a) - qBlue(b)) <= tol;
}

bool writeJpeg(const QString& path, const QImage& image, bool progressive = false) {
    QImageWriter writer(path, "jpeg");
    writer.setQuality(95);
    writer.setProgressiveScanWrite(progressive);
    return writer.write(image);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// Qt writes no CMYK JPEG, so the library does. Bytes are stored inverted, as Adobe files hold them:
// (r, g, b, 255) reads back as the colour (r, g, b).
bool writeCmykJpeg(const QString& path, const QImage& rgb) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file) return false;
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, file);
    c.image_width = JDIMENSION(rgb.width()), c.image_height = JDIMENSION(rgb.height());
    c.input_components = 4, c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(size_t(rgb.width()) * 4, 255);
    for (JSAMPROW rows[] = {row.data()}; c.next_scanline < c.image_height;) {
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb p = rgb.pixel(x, int(c.next_scanline));
            row[4 * x] = JSAMPLE(qRed(p)), row[4 * x + 1] = JSAMPLE(qGreen(p)),
                    row[4 * x + 2] = JSAMPLE(qBlue(p));
        }
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return std::fclose(file) == 0;
}

QImage solid(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

class TestPictureControl : public QObject {
    Q_OBJECT
    QString scenePath;
    QString path(const QString& name) const { return QDir::current().filePath(name); }
    QByteArray decode(const QString& file, const QString& words) {
        return decodeJpegToBmp(file, opts(words));
    }

private slots:
    void initTestCase() {
        scenePath = path("scene.jpg");
        QVERIFY(writeJpeg(scenePath, scene(64, 48)));
    }

    void bitmapLayoutFollowsTheOptions_data() {
        QTest::addColumn<QString>("words");
        QTest::addColumn<bool>("greySource");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("minColours");
        QTest::addColumn<int>("maxColours");
        QTest::addColumn<bool>("greyOutput");
        const auto row = [](const char* words, bool greySource, int width, int bits, int lo, int hi,
                            bool grey) {
            const QString name =
                QString("%1%2, width %3").arg(*words ? words : "256", greySource ? ", grey file" : "");
            QTest::newRow(qPrintable(name.arg(width)))
                << QString(words) << greySource << width << bits << lo << hi << grey;
        };
        row("", false, 64, 8, 17, 256, false);
        row("16", false, 64, 8, 2, 16, false);
        row("16", false, 75, 8, 2, 16, false); // rows need padding
        row("true", false, 64, 24, 0, 0, false);
        row("true", false, 75, 24, 0, 0, false);
        row("onepass", false, 64, 8, 17, 256, false);
        row("16 onepass none", false, 64, 8, 2, 16, false);
        row("16 fast", false, 64, 8, 2, 16, false);
        row("true fast", false, 64, 24, 0, 0, false); // the 216 colours apply only when quantizing
        row("true grey", false, 75, 8, 256, 256, true);
        row("16 grey", false, 64, 8, 2, 16, true);
        row("true fast grey", false, 64, 8, 256, 256, true);
        row("true", true, 64, 8, 256, 256, true);
        row("", true, 64, 8, 17, 256, true);
    }

    void bitmapLayoutFollowsTheOptions() {
        QFETCH(QString, words);
        QFETCH(bool, greySource);
        QFETCH(int, width);
        QFETCH(int, bits);
        QFETCH(int, minColours);
        QFETCH(int, maxColours);
        QFETCH(bool, greyOutput);
        QImage source = scene(width, 48);
        if (greySource) source = source.convertToFormat(QImage::Format_Grayscale8);
        const QString file = path("layout.jpg");
        QVERIFY(writeJpeg(file, source));

        Bmp bmp;
        const QString problem = bmp.check(decode(file, words));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(QSize(bmp.width, bmp.height), source.size());
        QCOMPARE(bmp.bits, bits);
        QVERIFY2(bmp.colours >= minColours && bmp.colours <= maxColours,
                 qPrintable(QString::number(bmp.colours)));
        for (int i = 0; greyOutput && i < bmp.colours; ++i)
            QVERIFY(bmp.entry(i) == (bmp.colours == 256 ? qRgb(i, i, i) : grey(bmp.entry(i))));

        // The solid blocks come back in place and in colour: catches flipped rows, swapped red and
        // blue and a wrong stride.
        for (const QPoint c : blockCentres(width, 48)) {
            const QRgb want = greyOutput ? grey(source.pixel(c)) : source.pixel(c);
            const QRgb got = bmp.average(c);
            QVERIFY2(near(got, want, words.contains("16") ? 60 : 24), qPrintable(QString::number(got, 16)));
        }
        const QImage image = QImage::fromData(bmp.d, "BMP");
        QCOMPARE(image.size(), source.size());
        QCOMPARE(image.pixel(width - 2, 45), bmp.pixel(width - 2, 45));
    }

    void optionsReachTheDecoderInTheirOrder() {
        const auto d = [&](const char* words) { return decode(scenePath, words); };
        // Each option changes the result (the two-pass quantizer has no ordered dither).
        QVERIFY(d("16 onepass none") != d("16 onepass") && d("16 onepass") != d("16 onepass ordered") &&
                d("16 onepass none") != d("16 onepass ordered"));
        QVERIFY(d("16 none") != d("16") && d("16") != d("16 onepass") && d("16") != d(""));
        QVERIFY(d("true") != d("true ifast") && d("true") != d("true nosmooth") &&
                d("true") != d("true fast"));

        // Fast overrides what comes before it: one pass, ordered dither, fast DCT, no smoothing...
        QCOMPARE(d("fast none float"), d("onepass ordered ifast nosmooth"));
        QCOMPARE(d("true fast float"), d("true ifast nosmooth"));
        // ...and grey output, which comes after it, still wins.
        QCOMPARE(d("fast grey"), d("grey onepass ordered ifast nosmooth"));
    }

    void commentsAndCmykAreHandled() {
        // A comment right after the start marker, holding bytes that look like markers.
        QByteArray jpeg = readAll(scenePath);
        const QByteArray text("by hand \xFF\xD9 \xFF\xC0 end");
        jpeg.insert(2, QByteArray("\xFF\xFE\x00", 3) + char(text.size() + 2) + text);
        QVERIFY(writeAll(path("commented.jpg"), jpeg));
        QCOMPARE(decode(path("commented.jpg"), ""), decode(scenePath, ""));
        QCOMPARE(decode(path("commented.jpg"), "true"), decode(scenePath, "true"));

        const QString cmyk = path("cmyk.jpg");
        QVERIFY(writeCmykJpeg(cmyk, scene(40, 32)));
        for (const char* words : {"true", "16"}) {
            Bmp bmp;
            const QString problem = bmp.check(decode(cmyk, words));
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
            QCOMPARE(bmp.bits, QString(words) == "true" ? 24 : 8);
            for (const QPoint c : blockCentres(40, 32))
                QVERIFY(near(bmp.average(c, 2), scene(40, 32).pixel(c), QString(words) == "true" ? 24 : 70));
        }
        QCOMPARE(thrown<EJPEGException>([&] { decode(cmyk, "grey"); }),
                 QString("Unsupported color conversion request"));
    }

    void badFilesGiveClearErrors() {
        const QByteArray good = readAll(scenePath);
        const qsizetype scan = good.indexOf("\xFF\xDA");
        QVERIFY(scan > 0);
        QVERIFY(writeAll(path("empty.jpg"), {}) && writeAll(path("text.jpg"), "this is not a picture"));
        QVERIFY(writeAll(path("cut.jpg"), good.left(scan + (good.size() - scan) / 2)));
        QVERIFY(writeAll(path("header.jpg"), good.left(30)) && QDir::current().mkdir("folder.jpg"));
        QCOMPARE(::mkfifo(qPrintable(path("fifo.jpg")), 0600), 0); // would be waited on for ever
        QByteArray huge = good; // a tiny file claiming 60000 x 60000 pixels
        const qsizetype frame = huge.indexOf("\xFF\xC0");
        QVERIFY(frame > 0);
        huge.replace(frame + 5, 4, QByteArray("\xEA\x60\xEA\x60", 4));
        QVERIFY(writeAll(path("huge.jpg"), huge));
        QVERIFY(writeJpeg(path("progressive.jpg"), scene(256, 256), true));

        for (const QString name : {"missing.jpg", "folder.jpg", "fifo.jpg"})
            QCOMPARE(thrown<EFOpenError>([&] { decode(path(name), ""); }), "Cannot open file " + path(name));
        const auto fails = [&](const char* file, const char* words, const JpegLimits& limits = {}) {
            return thrown<EJPEGException>([&] { decodeJpegToBmp(path(file), opts(words), limits); });
        };
        QCOMPARE(fails("empty.jpg", ""), QString("Empty input file"));
        QCOMPARE(fails("text.jpg", ""), QString("Not a JPEG file: starts with 0x74 0x68"));
        QCOMPARE(fails("header.jpg", ""), QString("JPEG datastream contains no image"));
        // A cut-off scan is padded out by the library with a warning, so the picture is refused.
        for (const char* words : {"", "16", "true", "grey"})
            QCOMPARE(fails("cut.jpg", words), QString("There are warnings"));

        QCOMPARE(fails("huge.jpg", "true"), QString("Image too large: 60000 x 60000 pixels"));
        JpegLimits limits;
        limits.maxPixels = 64 * 48 - 1;
        QCOMPARE(fails("scene.jpg", "", limits), QString("Image too large: 64 x 48 pixels"));
        QVERIFY(!decode(path("progressive.jpg"), "").isEmpty());
        limits = {};
        limits.maxScans = 2;
        QCOMPARE(fails("progressive.jpg", "", limits),
                 QString("Progressive JPEG image has more than 2 scans"));
        limits = {};
        limits.maxDecoderMemory = 64 * 1024; // progressive files hold all coefficients while scans arrive
        QCOMPARE(fails("progressive.jpg", "", limits), QString("Backing store not supported"));
    }

    void settersStoreAndDecodeAgain() {
        TJPEGImage control;
        QCOMPARE(control.numOfColors(), TNumOfColors::_256);
        QCOMPARE(control.dctMethod(), TDCTMethod::Integ);
        QCOMPARE(control.dither(), TDither::FS);
        QVERIFY(!control.fastProcessing() && !control.grayScale() && !control.noSmooth() &&
                !control.onePass());
        QVERIFY(control.autoSize() && control.hasMouseTracking() && control.fileName().isEmpty());

        const QString file = path("changing.jpg");
        QVERIFY(writeJpeg(file, scene(30, 20)));
        control.setFileName(file);
        QCOMPARE(control.picture().format(), QImage::Format_Indexed8);
        const std::vector<std::function<void()>> setters = {
            [&] { control.setNumOfColors(TNumOfColors::TrueColor); },
            [&] { control.setDCTMethod(TDCTMethod::FloatingPoint); },
            [&] { control.setDither(TDither::Ordered); },
            [&] { control.setFastProcessing(true); },
            [&] { control.setGrayScale(true); },
            [&] { control.setNoSmooth(true); },
            [&] { control.setOnePass(true); },
            [&] { QVERIFY(control.setProperty("FileName", file)); },
        };
        for (int width = 31; width < 31 + int(setters.size()); ++width) {
            // A new picture under the same name shows that the file is read again.
            QVERIFY(writeJpeg(file, scene(width, 20)));
            setters[width - 31]();
            QCOMPARE(control.picture().width(), width);
            QCOMPARE(control.width(), width);
        }
        QVERIFY(control.picture().isGrayscale());
        control.setGrayScale(false);
        QCOMPARE(control.picture().format(), QImage::Format_RGB32);
    }

    void nothingIsDecodedWithoutNameOrWhileLoading() {
        TJPEGImage control;
        const QImage stored = solid(20, 10, Qt::magenta);
        control.setPicture(stored);
        control.setNumOfColors(TNumOfColors::_16); // no FileName: nothing to decode
        control.setGrayScale(true);
        QCOMPARE(control.picture(), stored);

        control.setLoadingLayout(true);
        control.setFileName(path("missing.jpg")); // only recorded, even a missing file
        control.setFileName(scenePath);
        control.setNumOfColors(TNumOfColors::TrueColor);
        control.setGrayScale(false);
        control.setLoadingLayout(false);
        QCOMPARE(control.picture(), stored);
        QCOMPARE(control.size(), QSize(20, 10));
        QCOMPARE(control.fileName(), scenePath);

        control.setDither(TDither::None); // after loading, a change decodes with all stored values
        QCOMPARE(control.picture().size(), QSize(64, 48));
        QCOMPARE(control.picture().format(), QImage::Format_RGB32);
    }

    void failuresLeaveThePicture() {
        const QByteArray good = readAll(scenePath);
        QVERIFY(writeAll(path("half.jpg"), good.left(good.size() - 200)));
        TJPEGImage control;
        control.setFileName(scenePath);
        const QImage shown = control.picture();
        QVERIFY(!shown.isNull());

        QCOMPARE(thrown<EFOpenError>([&] { control.setFileName(path("gone.jpg")); }),
                 "Cannot open file " + path("gone.jpg"));
        QCOMPARE(control.fileName(), path("gone.jpg")); // the name is stored before decoding
        QCOMPARE(thrown<EJPEGException>([&] { control.setFileName(path("half.jpg")); }),
                 QString("There are warnings"));
        QCOMPARE(thrown<EJPEGException>([&] { control.setOnePass(true); }), QString("There are warnings"));
        QVERIFY(control.onePass());
        QCOMPARE(control.picture(), shown);
        QCOMPARE(control.size(), QSize(64, 48));
    }

    void autoSizeAndLooks() {
        TJPEGImage control;
        control.setAutoSize(false);
        control.resize(40, 30);
        control.setPicture(solid(30, 20, Qt::blue));
        QCOMPARE(control.size(), QSize(40, 30));
        control.setAutoSize(true);
        QCOMPARE(control.size(), QSize(30, 20));

        QPixmap look(75, 10); // wider than the control: clipped to it
        look.fill(Qt::red);
        const auto at = [&](int x, int y) { return control.grab().toImage().pixel(x, y); };
        const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
        control.setLook(look);
        QVERIFY(control.hasLook());
        QCOMPARE(control.grab().size(), QSize(30, 20));
        QVERIFY(at(0, 0) == red && at(29, 9) == red && at(0, 10) == blue);
        control.setLook(look, {1, 1}); // the pressed look
        QVERIFY(at(0, 0) == blue && at(0, 1) == blue && at(1, 1) == red && at(29, 10) == red &&
                at(1, 11) == blue);
        control.clearLook();
        QVERIFY(!control.hasLook() && at(1, 1) == blue);
    }

    void mouseEventsBecomeTheThreeSignals() {
        QWidget window;
        window.resize(200, 100);
        TJPEGImage button(&window);
        button.setPicture(solid(60, 30, Qt::gray));
        button.move(10, 10);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy moves(&button, &TJPEGImage::MouseMove), downs(&button, &TJPEGImage::MouseDown),
            ups(&button, &TJPEGImage::MouseUp);

        // Through the window, as real input arrives, so that a press grabs the mouse.
        QWindow* handle = window.windowHandle();
        QTest::mouseMove(handle, {15, 16});
        QTRY_VERIFY(!moves.isEmpty());
        QCOMPARE(moves.last(), (QList<QVariant>{QVariant::fromValue(Qt::MouseButtons()), QPoint(5, 6)}));
        QTest::mousePress(handle, Qt::LeftButton, {}, {17, 18});
        QCOMPARE(downs.last(), (QList<QVariant>{QVariant::fromValue(Qt::LeftButton), QPoint(7, 8)}));
        QTest::mouseMove(handle, {120, 20});
        QCOMPARE(moves.last().at(0).value<Qt::MouseButtons>(), Qt::MouseButtons(Qt::LeftButton));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, {120, 20}); // off the control: still its release
        QCOMPARE(ups.last(), (QList<QVariant>{QVariant::fromValue(Qt::LeftButton), QPoint(110, 10)}));
        QTest::mousePress(handle, Qt::RightButton, {}, {13, 13});
        QTest::mouseRelease(handle, Qt::RightButton, {}, {13, 13});
        QCOMPARE(downs.size(), 2);
        QCOMPARE(ups.last().at(0).value<Qt::MouseButton>(), Qt::RightButton);
    }
};

QTEST_MAIN(TestPictureControl)
#include "test_picturecontrol.moc"
