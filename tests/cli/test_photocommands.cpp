// vitrinex-cli's photo commands run as a script runs them: the item's photos as JSON, the cover first;
// an add of all its images or none; one line on standard error and status 1 for what is refused.
#include "../photos/PhotoFixtures.h"
#include "CliRunner.h"
#include "CollectionFixtures.h"
#include "ImmutableFile.h"

#include <QJsonArray>
#include <QtTest>

using namespace vitrinex::testing;

namespace {

QString image(const char* name, QRgb colour, const char* format = "png") {
    fixtures::writeBytes(name, imageBytes(colour, format));
    return name;
}

// The photos' files in their order, from a command's output.
QStringList files(const CliRun& run) {
    QStringList out;
    for (const QJsonValue& p : run.json()["photos"].toArray())
        out << QFileInfo(p.toObject()["file"].toString()).fileName();
    return out;
}

} // namespace

class PhotoCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void photosAreAddedOrderedRemovedAndRefused() {
        QCOMPARE(
            runCli({"new", "mine.fcd", "--name", "Heroes", "--brand", "Kenner", "--year", "1985"}).status, 0);
        QCOMPARE(runCli({"add", "mine.fcd", "--name", "Luke", "--price", "$10"}).status, 0);
        const QString red = image("red.png", qRgb(200, 0, 0)),
                      blue = image("blue.webp", qRgb(0, 0, 200), "webp");

        const CliRun added = runCli({"photo-add", "mine.fcd", "luke", red, blue, red});
        QCOMPARE(added.status, 0);
        QCOMPARE(added.json()["item"].toString(), QString("Luke"));
        const QJsonArray photos = added.json()["photos"].toArray();
        QCOMPARE(photos.size(), 2);
        const QJsonObject first = photos[0].toObject();
        QCOMPARE(QSize(first["width"].toInt(), first["height"].toInt()), QSize(40, 20));
        QCOMPARE(first["bytes"].toInt(), int(QFileInfo(red).size()));

        QCOMPARE(files(runCli({"photo-cover", "mine.fcd", "Luke", "2"})),
                 (QStringList{files(added)[1], files(added)[0]}));
        QCOMPARE(files(runCli({"photo-remove", "mine.fcd", "Luke", "1"})), QStringList{files(added)[0]});

        fixtures::writeBytes("notes.jpg", "no picture");
        const QStringList refusedCommands[] = {{"photo-add", "mine.fcd", "Luke", blue, "notes.jpg"},
                                               {"photo-add", "mine.fcd", "Han", blue},
                                               {"photo-remove", "mine.fcd", "Luke", "2"},
                                               {"photo-cover", "mine.fcd", "Luke", "0"},
                                               {"photos", "mine.fcd", "Han"}};
        for (const QStringList& args : refusedCommands) {
            const CliRun refused = runCli(args);
            QCOMPARE(refused.status, 1);
            QVERIFY2(refused.err.startsWith("vitrinex-cli: ") && refused.err.count('\n') == 1, refused.err);
        }
        QCOMPARE(files(runCli({"photos", "mine.fcd", "Luke"})), QStringList{files(added)[0]});

        const fixtures::ImmutableFile readOnly("mine.fcd");
        if (!readOnly.ok()) QSKIP(fixtures::ImmutableFile::unavailable());
        QVERIFY(runCli({"photo-add", "mine.fcd", "Luke", blue}).err.contains("read-only"));
    }

    void photosFollowRenameDeleteAndRestore() {
        QCOMPARE(runCli({"new", "c.fcd", "--name", "Heroes", "--brand", "Kenner", "--year", "1985"}).status,
                 0);
        QCOMPARE(runCli({"add", "c.fcd", "--name", "Luke", "--price", "$10", "--year", "1977"}).status, 0);
        QCOMPARE(runCli({"backup", "c.fcd"}).status, 0);
        const QString beforePhotos =
            runCli({"backups", "c.fcd"}).json()["backups"].toArray()[0].toObject()["file"].toString();
        QTest::qWait(1100); // generations are named by the second
        const QStringList kept =
            files(runCli({"photo-add", "c.fcd", "Luke", image("red.png", qRgb(200, 0, 0))}));
        QCOMPARE(runCli({"backup", "c.fcd"}).status, 0);
        const QString generation =
            runCli({"backups", "c.fcd"}).json()["backups"].toArray()[0].toObject()["file"].toString();

        QCOMPARE(runCli({"edit", "c.fcd", "Luke", "--as-typed", "--name", "Luke Skywalker"}).status, 0);
        QCOMPARE(files(runCli({"photos", "c.fcd", "Luke Skywalker"})), kept);
        QCOMPARE(runCli({"delete", "c.fcd", "Luke Skywalker"}).status, 0);
        QCOMPARE(runCli({"add", "c.fcd", "--name", "Luke Skywalker", "--price", "$10"}).status, 0);
        QCOMPARE(files(runCli({"photos", "c.fcd", "Luke Skywalker"})), QStringList());
        QVERIFY(QFile::exists("c.photos/" + kept[0])); // the generation names it

        const CliRun restored = runCli({"restore", "c.fcd", generation});
        QVERIFY2(restored.status == 0, restored.err);
        const CliRun photos = runCli({"photos", "c.fcd", "Luke"});
        QCOMPARE(files(photos), kept);
        QVERIFY(QFile::exists(photos.json()["photos"].toArray()[0].toObject()["file"].toString()));
        // A generation from before any photo had none.
        QCOMPARE(runCli({"restore", "c.fcd", beforePhotos}).status, 0);
        QCOMPARE(files(runCli({"photos", "c.fcd", "Luke"})), QStringList());
    }

    void photosTravelThroughCsvAllOrNothing() {
        QCOMPARE(runCli({"new", "a.fcd", "--name", "A", "--brand", "K", "--year", "1985"}).status, 0);
        for (const char* name : {"Luke", "Han", "Leia"})
            QCOMPARE(runCli({"add", "a.fcd", "--name", name, "--price", "$10"}).status, 0);
        const QString red = image("red.png", qRgb(200, 0, 0)), blue = image("blue.png", qRgb(0, 0, 200));
        const QStringList luke = files(runCli({"photo-add", "a.fcd", "Luke", red, blue}));
        runCli({"photo-add", "a.fcd", "Han", blue});
        QDir().mkpath("out");
        QCOMPARE(runCli({"export-csv", "a.fcd", "--out", "out/a.csv", "--photos", "out/pictures"}).status, 0);
        const QByteArray csv = fixtures::readBytes("out/a.csv");
        QVERIFY2(csv.startsWith("name,") && csv.contains(",photos\r\n"), csv.constData());
        QVERIFY2(csv.contains(("pictures/" + luke[0] + "|pictures/" + luke[1] + "\r\n").toUtf8()),
                 csv.constData());

        QCOMPARE(runCli({"new", "b.fcd", "--name", "B", "--brand", "K", "--year", "1985"}).status, 0);
        QFile::remove("out/pictures/" + luke[1]); // one photo missing: nothing is imported
        const QByteArray empty = fixtures::readBytes("b.fcd");
        const CliRun refused = runCli({"import-csv", "b.fcd", "out/a.csv"});
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.contains(luke[1].toUtf8()), refused.err.constData());
        QCOMPARE(fixtures::readBytes("b.fcd"), empty);
        QVERIFY(!QFile::exists("b.photos/index"));

        QCOMPARE(runCli({"export-csv", "a.fcd", "--out", "out/a.csv", "--photos", "out/pictures"}).status, 0);
        QCOMPARE(runCli({"import-csv", "b.fcd", "out/a.csv"}).status, 0);
        QCOMPARE(files(runCli({"photos", "b.fcd", "Luke"})), luke);
        QCOMPARE(files(runCli({"photos", "b.fcd", "Han"})).size(), 1);
        QCOMPARE(files(runCli({"photos", "b.fcd", "Leia"})), QStringList());
    }
};

QTEST_GUILESS_MAIN(PhotoCommandsTest)
#include "test_photocommands.moc"
