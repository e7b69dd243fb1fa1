// What a photo may be: JPEG, PNG and WebP with their EXIF orientation applied; anything else, a file
// over 64 MiB and a picture over 100 megapixels (judged from its header, before decoding) refused
// with a message naming the file and why, the store left as it was.
#include "CollectionFixtures.h"
#include "PhotoFixtures.h"
#include "photos/PhotoImage.h"
#include "photos/PhotoStore.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace vitrinex;
using namespace fixtures;

namespace {

// A PNG of 65 bytes whose header declares 20000 x 20000 pixels (a seed of the header's fuzz target).
QByteArray bombPng() {
    return readBytes(VITRINEX_ASSETS_DIR "/../fuzz/seeds/photo_header/bomb.png");
}

QString refusal(const std::string& path) {
    try {
        acceptImage(path);
    } catch (const EPhotoRefused& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

} // namespace

class PhotoImageTest : public QObject {
    Q_OBJECT

private slots:
    void takesJpegPngWebpTurnedAsTheirOrientationSays() {
        const struct {
            const char* format;
            const char* extension;
        } kinds[] = {{"jpeg", "jpg"}, {"png", "png"}, {"webp", "webp"}};
        for (const auto& kind : kinds) {
            const QByteArray bytes = imageBytes(qRgb(10, 120, 30), kind.format);
            writeBytes(here("photo"), bytes); // the name says nothing; the content does
            const AcceptedImage image = acceptImage(here("photo"));
            QCOMPARE(image.extension, std::string(kind.extension));
            QCOMPARE(image.bytes, bytes);
            QCOMPARE(QSize(image.width, image.height), QSize(40, 20));
        }
        writeBytes(here("turned.jpg"),
                   imageBytes(qRgb(10, 120, 30), "jpeg", {40, 20}, QImageIOHandler::TransformationRotate90));
        const AcceptedImage turned = acceptImage(here("turned.jpg"));
        QCOMPARE(QSize(turned.width, turned.height), QSize(20, 40));
    }

    void refusesWhatIsNoPhotoAndChangesNothing() {
        writeCollection(QString::fromStdString(here("mine.fcd")), {item("Luke")});
        writeBytes(here("notes.png"), "no picture at all");
        writeBytes(here("picture.bmp"), imageBytes(qRgb(1, 2, 3), "bmp"));
        writeBytes(here("torn.png"), imageBytes(qRgb(1, 2, 3)).chopped(16));
        writeBytes(here("bomb.png"), bombPng());
        QFile huge(QString::fromStdString(here("huge.jpg")));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(kPhotoByteLimit + 1));
        huge.close();
        QVERIFY(::mkfifo(here("pipe.png").c_str(), 0600) == 0);

        const struct {
            const char* file;
            const char* says;
        } refused[] = {{"notes.png", "not a JPEG, PNG or WebP image"},
                       {"picture.bmp", "not a JPEG, PNG or WebP image"},
                       {"torn.png", "does not decode"},
                       {"bomb.png", "20000 x 20000 pixels is more than a photo may have"},
                       {"huge.jpg", "64 MiB"},
                       {"pipe.png", "File access denied"},
                       {"missing.png", "File not found"}};
        PhotoStore store(here("mine.fcd"));
        for (const auto& r : refused) {
            const QString message = refusal(here(r.file));
            QVERIFY2(message.startsWith(QString::fromStdString(here(r.file)) + ": ") &&
                         message.contains(r.says),
                     qPrintable(message));
            writeBytes(here("good.png"), imageBytes(qRgb(9, 9, 9)));
            QVERIFY_THROWS_EXCEPTION(EPhotoRefused, store.add("Luke", {here("good.png"), here(r.file)}));
            QVERIFY(!QFile::exists(QString::fromStdString(store.folder())));
        }
        // The bomb's header alone refuses it: nothing of the picture is decoded.
        QVERIFY_THROWS_EXCEPTION(EPhotoRefused, checkImageHeader(bombPng()));
    }
};

QTEST_GUILESS_MAIN(PhotoImageTest)
#include "test_photoimage.moc"
