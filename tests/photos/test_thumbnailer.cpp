// The thumbnailer: a collection's first cover as a PNG that fits the size; none without photos.

#include "PhotoFixtures.h"
#include "photos/PhotoStore.h"
#include <QFile>
#include <QProcess>
#include <QtTest>

class TestThumbnailer : public QObject {
    Q_OBJECT

private slots:
    void writesFirstCoverOrFailsCleanly() {
        auto thumbnail = [](const QString& output) {
            QProcess p;
            p.start(VITRINEX_THUMBNAILER, {"-s", "128", "Heroes.fcd", output});
            return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        };
        for (const auto& [name, bytes] : std::initializer_list<std::pair<const char*, QByteArray>>{
                 {"Heroes.fcd", {}},
                 {"wide.png", imageBytes(qRgb(200, 30, 30), "png", {400, 100})},
                 {"other.png", imageBytes(qRgb(30, 30, 200))}}) {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        }
        QCOMPARE(thumbnail("none.png"), 1);
        QVERIFY(!QFile::exists("none.png"));

        vitrinex::PhotoStore store(here("Heroes.fcd"));
        store.add("Zorro", {here("other.png")});
        store.add("Batman", {here("wide.png"), here("other.png")}); // the first item's first photo
        QCOMPARE(thumbnail("thumb.png"), 0);
        const QImage shown("thumb.png", "png");
        QCOMPARE(shown.size(), QSize(128, 32));
        QCOMPARE(shown.pixel(64, 16), qRgb(200, 30, 30));
    }
};

QTEST_GUILESS_MAIN(TestThumbnailer)
#include "test_thumbnailer.moc"
