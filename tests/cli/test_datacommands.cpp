// vitrinex-cli's CSV, generation and history commands run as a script runs them.
#include "CliRunner.h"

#include <QJsonArray>
#include <QtTest>

using namespace vitrinex::testing;

class DataCommandsTest : public QObject {
    Q_OBJECT

    static CliRun cli(const QStringList& args) { return runCli(args); }

private slots:
    void csvBackupsRestoreAndHistory() {
        QCOMPARE(
            cli({"new", "mine.fcd", "--name", "Heroes", "--brand", "Kenner", "--year", "1985-1990"}).status,
            0);
        QCOMPARE(cli({"add", "mine.fcd", "--name", "Luke", "--price", "$10"}).status, 0);
        const CliRun exported = cli({"export-csv", "mine.fcd"});
        QCOMPARE(exported.json()["file"].toString(), QString("mine.csv"));
        QCOMPARE(exported.json()["items"].toInt(), 1);
        QVERIFY(exported.err.isEmpty());

        // A refusal: one line per row on standard error, status 1.
        QFile csv("in.csv");
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("name,price\nHan,$5\nLuke,$1\nLando,$1x\n");
        csv.close();
        const CliRun refused = cli({"import-csv", "mine.fcd", "in.csv"});
        QCOMPARE(refused.status, 1);
        QCOMPARE(refused.err,
                 QByteArray("row 3: Luke already exists!\nrow 4: price: $1x      is an invalid price!\n"));
        // A CSV file that cannot be read is named, not the collection.
        QCOMPARE(cli({"import-csv", "mine.fcd", "gone.csv"}).err,
                 QByteArray("vitrinex-cli: gone.csv: File not found\n"));

        QCOMPARE(cli({"backup", "mine.fcd"}).status, 0);
        const QJsonArray backups = cli({"backups", "mine.fcd"}).json()["backups"].toArray();
        QCOMPARE(backups.size(), 1);
        QCOMPARE(backups[0].toObject()["items"].toInt(), 1);
        QCOMPARE(cli({"import-csv", "mine.fcd", "mine.csv"}).status, 1); // Luke is there already
        QCOMPARE(cli({"delete", "mine.fcd", "Luke"}).status, 0);
        const CliRun restored = cli({"restore", "mine.fcd", backups[0].toObject()["file"].toString()});
        QCOMPARE(restored.json()["items"].toInt(), 1);
        QVERIFY(restored.err.isEmpty());
        QCOMPARE(cli({"backups", "mine.fcd"}).json()["backups"].toArray().size(), 2);

        const QJsonArray points = cli({"history", "mine.fcd"}).json()["points"].toArray();
        QCOMPARE(points.size(), 1);
        QCOMPARE(points[0].toObject()["value"].toString(), QString("$10"));
        QCOMPARE(points[0].toObject()["items"].toInt(), 1);
    }

    void existingNamesAreSkippedOrUpdated() {
        QCOMPARE(cli({"new", "c.fcd", "--name", "Heroes", "--brand", "Kenner", "--year", "1985"}).status, 0);
        QCOMPARE(cli({"add", "c.fcd", "--name", "Luke", "--price", "$10", "--year", "1977"}).status, 0);
        QCOMPARE(cli({"export-csv", "c.fcd", "--out", "c.csv"}).status, 0);
        const auto bytes = [](const QString& name) {
            QFile f(name);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray before = bytes("c.fcd");
        const CliRun skipped = cli({"import-csv", "c.fcd", "c.csv", "--existing", "skip"});
        QCOMPARE(skipped.json()["added"].toInt(), 0);
        QCOMPARE(skipped.json()["skipped"].toInt(), 1);
        QCOMPARE(skipped.json()["updated"].toInt(), 0);
        QCOMPARE(bytes("c.fcd"), before);

        QFile csv("in.csv");
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("name,price\nLUKE,$12\nHan,$5\n");
        csv.close();
        const CliRun updated = cli({"import-csv", "c.fcd", "in.csv", "--existing", "update"});
        QCOMPARE(updated.json()["added"].toInt(), 1);
        QCOMPARE(updated.json()["updated"].toInt(), 1);
        QCOMPARE(updated.json()["items"].toInt(), 2);
        // The name as the collection spells it, the price from the file, the year as it was.
        QCOMPARE(cli({"export-csv", "c.fcd", "--out", "after.csv"}).status, 0);
        QCOMPARE(bytes("after.csv"), QByteArray("name,year,series,price,net_change,quantity,condition,"
                                                "catalog_number,comments\r\nHan,,,$5,$0,1,C-10,,\r\n"
                                                "Luke,1977,,$12,$0,1,C-10,,\r\n"));
        QCOMPARE(cli({"import-csv", "c.fcd", "in.csv", "--existing", "merge"}).status, 1);
    }

    void importMemoryFollowsTheItems() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address sanitizer's allocator ends the program instead of failing the allocation");
#endif
        QCOMPARE(cli({"new", "mem.fcd", "--name", "Heroes", "--brand", "Kenner", "--year", "1985"}).status,
                 0);
        // The program's own address space and some 100 MB more.
        const auto limited = [](const QString& csv) {
            return runProgram("sh", {"-c", "ulimit -v 200000 && exec \"$0\" \"$@\"", VITRINEX_CLI,
                                     "import-csv", "mem.fcd", csv});
        };
        const auto write = [](const QString& name, const QByteArray& text) {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
        };
        write("blank.csv", "name\n" + QByteArray(4 << 20, '\n') + "Han\n");
        const CliRun blank = limited("blank.csv");
        QCOMPARE(blank.err, QByteArray());
        QCOMPARE(blank.json()["added"].toInt(), 1);

        QByteArray rows = "name\n";
        for (int i = 0; i < 2000000; ++i)
            rows += 'n' + QByteArray::number(i) + '\n';
        write("many.csv", rows);
        QFile collection("mem.fcd");
        QVERIFY(collection.open(QIODevice::ReadOnly));
        const QByteArray before = collection.readAll();
        const CliRun many = limited("many.csv");
        QCOMPARE(many.status, 1);
        QCOMPARE(many.err, QByteArray("vitrinex-cli: many.csv: Not enough memory\n"));
        collection.seek(0);
        QCOMPARE(collection.readAll(), before);
    }
};

QTEST_GUILESS_MAIN(DataCommandsTest)
#include "test_datacommands.moc"
