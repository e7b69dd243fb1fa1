// vitrinex-cli killed at chosen steps of a save (VITRINEX_TEST_KILL_AT makes the writer kill itself
// there), and files with damaged records: what the next command finds loses nothing.
#include "CliRunner.h"
#include "CollectionFixtures.h"
#include "collection/OpenCollection.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <unistd.h>

using namespace vitrinex::testing;

using namespace fixtures;

class CrashTest : public QObject {
    Q_OBJECT

    CliRun cli(const QStringList& args, const QString& killAt = {}) {
        CliOptions o;
        if (!killAt.isEmpty()) o.environment = {{"VITRINEX_TEST_KILL_AT", killAt}};
        return runCli(args, o);
    }
    static QStringList names(const std::string& path) {
        vitrinex::OpenCollection c;
        c.LoadCollection(path);
        QStringList n;
        for (const auto& name : c.itemList().names())
            n << QString::fromStdString(name);
        return n;
    }

private slots:
    // Killed anywhere in a rename, the file holds the item under exactly one of its names.
    void renameIsOneSave() {
        for (const char* step : {"replace-written", "saved"}) {
            writeBytes("rename.fcd", fileImage(header(), {record("Batman"), record("Joker")}));
            QVERIFY(
                cli({"edit", "rename.fcd", "Batman", "--as-typed", "--name", "Robin", "--year", "1985"}, step)
                    .crashed);
            const QStringList n = names("rename.fcd");
            QVERIFY2(n.contains("Batman") != n.contains("Robin") && n.contains("Joker"),
                     qPrintable(step + (": " + n.join(','))));
        }
    }

    // A save in place (a hard-linked file) killed at any step: the next command puts the old content
    // back and says so; a finished save leaves no journal.
    void cutShortSaveInPlaceIsPutBack() {
        for (const char* step : {"journal-kept", "in-place-unflushed", "in-place-flushed"}) {
            writeBytes("linked.fcd",
                       fileImage(header(), {record("Batman"), record("Joker"), record("Robin")}));
            QFile::remove("other.fcd");
            QVERIFY(::link("linked.fcd", "other.fcd") == 0);
            const QByteArray before = readBytes("linked.fcd");
            QVERIFY(cli({"delete", "linked.fcd", "Batman"}, step).crashed);
            const CliRun next = cli({"stats", "linked.fcd"});
            QVERIFY2(next.status == 0 && next.err.contains("cut short"), next.err);
            QCOMPARE(readBytes("other.fcd"), before);
        }
        QCOMPARE(cli({"delete", "linked.fcd", "Batman"}).status, 0);
        QCOMPARE(names("other.fcd"), (QStringList{"Joker", "Robin"}));
        QCOMPARE(QDir(".", "*journal*", QDir::Name, QDir::Hidden | QDir::Files).entryList(), QStringList());
    }

    // Damaged records are named by check and set aside by repair, their bytes appended to NAME.damaged.
    void damagedRecordsAreSetAside() {
        vitrinex::TFigureRecord deleted = record(" ", "$x", "$0", 0);
        writeBytes("damaged.fcd", fileImage(header(), {record("Batman"), vitrinex::blankFigureRecord(),
                                                       deleted, record("Joker")}));
        writeBytes("damaged.fcd.damaged", "earlier");
        const QJsonObject check = QJsonDocument::fromJson(cli({"check", "damaged.fcd"}).out).object();
        const QJsonArray damaged = check["damaged"].toArray();
        QCOMPARE(check["records"].toInt() * 100 + damaged[0]["record"].toInt() * 10 +
                     damaged[1]["record"].toInt(),
                 423);
        QVERIFY(damaged.size() == 2 && damaged[1]["reason"].toString().contains("$x"));
        const QJsonObject done = QJsonDocument::fromJson(cli({"repair", "damaged.fcd"}).out).object();
        QCOMPARE(done["kept"].toInt() * 10 + done["setAside"].toInt(), 22);
        const QByteArray aside = readBytes("damaged.fcd.damaged");
        QCOMPARE(aside.size(), 7 + 2 * 1324);
        QVERIFY(aside.startsWith("earlier") &&
                aside.endsWith(QByteArray(reinterpret_cast<const char*>(&deleted), 1324)));
        QCOMPARE(names("damaged.fcd"), (QStringList{"Batman", "Joker"}));
        QCOMPARE(cli({"check", "damaged.fcd"}).out.trimmed(), QByteArray(R"({"records": 2, "damaged": []})"));
    }

    // A record that repeats an earlier name, and a last record the end of the file cut short, are
    // damaged records too: named by check, set aside by the first save, the whole items kept.
    void repeatedNamesAndATornTailAreSetAside() {
        const vitrinex::TFigureRecord repeat = record("BATMAN", "$999");
        QByteArray bytes = fileImage(header(), {record("Batman"), record("Joker"), repeat});
        bytes += fileImage(header(), {record("Robin")}).mid(1324, 600);
        writeBytes("torn.fcd", bytes);
        const QJsonObject check = QJsonDocument::fromJson(cli({"check", "torn.fcd"}).out).object();
        const QJsonArray damaged = check["damaged"].toArray();
        QCOMPARE(check["records"].toInt(), 4);
        QVERIFY2(damaged.size() == 2 && damaged[0]["record"].toInt() == 3 &&
                     damaged[0]["reason"].toString().contains("repeats the name of record 1") &&
                     damaged[1]["record"].toInt() == 4,
                 QJsonDocument(damaged).toJson());

        const CliRun stats = cli({"stats", "torn.fcd"});
        QVERIFY2(stats.status == 0 && stats.err.contains("2 damaged records"), stats.err);
        QCOMPARE(stats.json()["value"].toString(), QString("$25"));
        const QJsonObject done = QJsonDocument::fromJson(cli({"repair", "torn.fcd"}).out).object();
        QCOMPARE(done["kept"].toInt() * 10 + done["setAside"].toInt(), 22);
        const QByteArray aside = readBytes("torn.fcd.damaged");
        QCOMPARE(aside.left(1324), QByteArray(reinterpret_cast<const char*>(&repeat), 1324));
        QCOMPARE(aside.mid(1324, 600), bytes.right(600));
        QCOMPARE(names("torn.fcd"), (QStringList{"Batman", "Joker"}));
    }

    // Killed between the change log's write and the save, the step was never saved and goes; killed
    // after the save, it is kept and undone byte for byte. The undo and redo print what they did,
    // and an edit that renames is one step.
    void theChangeLogAgreesWithTheFileAfterAKill() {
        writeBytes("log.fcd", fileImage(header(), {record("Batman"), record("Joker"), record("Robin")}));
        const QByteArray start = readBytes("log.fcd");
        QCOMPARE(
            cli({"edit", "log.fcd", "Joker", "--as-typed", "--name", "Penguin", "--year", "1985"}).status, 0);
        const QByteArray renamed = readBytes("log.fcd");
        QVERIFY(cli({"delete", "log.fcd", "Batman"}, "change-logged").crashed);
        QCOMPARE(readBytes("log.fcd"), renamed);
        const QJsonArray kept = cli({"changes", "log.fcd"}).json()["changes"].toArray();
        QCOMPARE(kept.size(), 1);
        QCOMPARE(kept[0]["items"].toInt(), 1);
        QVERIFY(cli({"delete", "log.fcd", "Robin"}, "saved").crashed);
        QVERIFY(!names("log.fcd").contains("Robin"));
        const CliRun undone = cli({"undo", "log.fcd"});
        QCOMPARE(undone.json()["file"].toString(), QString("log.fcd"));
        QVERIFY2(undone.json()["undone"].toString().contains("Robin"), undone.out);
        QCOMPARE(readBytes("log.fcd"), renamed);
        QCOMPARE(cli({"undo", "log.fcd"}).status, 0);
        QCOMPARE(readBytes("log.fcd"), start);
        const CliRun nothing = cli({"undo", "log.fcd"});
        QVERIFY(nothing.status == 1 && nothing.err.contains("nothing to undo"));
        QVERIFY(cli({"redo", "log.fcd"}).json()["redone"].toString().contains("Penguin"));
        QCOMPARE(readBytes("log.fcd"), renamed);
    }
};

QTEST_GUILESS_MAIN(CrashTest)
#include "test_crashes.moc"
