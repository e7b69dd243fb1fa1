// The file managers' thumbnailer: a collection with a photo gets its first cover as a PNG that fits
// the size asked; one without a photo, or with a photo that is no image, fails with a reason and
// writes nothing.

#include "PhotoFixtures.h"
#include "photos/PhotoStore.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QtTest>

namespace {

struct Run {
    int exitCode;
    QString error;
};

Run thumbnail(const QString& collection, const QString& output, const QString& size = "128") {
    QProcess p;
    p.start(VITRINEX_THUMBNAILER, {"-s", size, collection, output});
    if (!p.waitForFinished(30000)) return {-1, "did not finish"};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardError())};
}

void write(const std::string& path, const QByteArray& bytes) {
    QFile f(QString::fromStdString(path));
    if (f.exists()) f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestThumbnailer : public QObject {
    Q_OBJECT

private slots:
    void writesFirstCoverOrFailsCleanly();
};

void TestThumbnailer::writesFirstCoverOrFailsCleanly() {
    const std::string collection = here("Heroes.fcd");
    write(collection, {});
    const std::string photo = here("wide.png"), other = here("other.png");
    write(photo, imageBytes(qRgb(200, 30, 30), "png", {400, 100}));
    write(other, imageBytes(qRgb(30, 30, 200), "png", {50, 50}));
    const QString fcd = QString::fromStdString(collection);

    QVERIFY(thumbnail(fcd, "none.png").exitCode != 0);
    QVERIFY(!QFile::exists("none.png"));

    vitrinex::PhotoStore store(collection);
    store.add("Zorro", {other});
    store.add("Batman", {photo, other}); // the first item by name, its first photo the cover
    const Run made = thumbnail(fcd, "thumb.png");
    QVERIFY2(made.exitCode == 0, qPrintable(made.error));
    const QImage shown("thumb.png", "png");
    QCOMPARE(shown.size(), QSize(128, 32));
    QCOMPARE(shown.pixel(64, 16), qRgb(200, 30, 30));

    QVERIFY(thumbnail(fcd, "bad.png", "0").exitCode != 0);
    // The cover's file damaged after it was added: named in the reason, nothing written.
    write(store.pathOf(store.photos("Batman").front()), "not an image");
    const Run damaged = thumbnail(fcd, "bad.png");
    QVERIFY(damaged.exitCode != 0);
    QVERIFY2(damaged.error.contains(QString::fromStdString(store.photos("Batman").front().file)),
             qPrintable(damaged.error));
    QVERIFY(!QFile::exists("bad.png"));
}

QTEST_GUILESS_MAIN(TestThumbnailer)
#include "test_thumbnailer.moc"
