// vitrinex-cli among other programs: concurrent commands on one file lose nothing, odd files and
// limits give a one-line error instead of a hang or a silent death.
#include "CliRunner.h"
#include "CollectionFixtures.h"
#include "ImmutableFile.h"
#include "collection/OpenCollection.h"
#include "collection/UpdateRecord.h"

#include <QJsonArray>
#include <QProcess>
#include <QtTest>
#include <sys/stat.h>

using namespace vitrinex::testing;

using namespace fixtures;

class CliSafetyTest : public QObject {
    Q_OBJECT

    // A hang is a result here: the program is killed after ten seconds and the run reads -2.
    CliRun run(const QString& program, const QStringList& args) {
        CliOptions o;
        o.timeoutMs = 10000;
        o.timeoutIsFatal = false;
        return runProgram(program, args, o);
    }
    CliRun cli(const QStringList& args) { return run(VITRINEX_CLI, args); }
    QString file(const QString& name) { return QDir::current().absoluteFilePath(name); }

    QStringList itemNames(const QString& f) {
        vitrinex::OpenCollection c;
        c.LoadCollection(f.toStdString());
        QStringList names;
        for (const auto& n : c.itemList().names())
            names << QString::fromStdString(n);
        return names;
    }

private slots:
    void concurrentCommandsLoseNothing() {
        const QString f = file("shared.fcd");
        vitrinex::OpenCollection c;
        c.CreateCollection(f.toStdString(), "Heroes", "Kenner", "1985-1990");
        for (int i = 0; i < 100; ++i)
            c.InsertNewItem(item("D" + std::to_string(i)));
        c.SaveCollection();
        // Two loops of 200 commands each, at once: 200 adds; 100 adds each followed by a delete.
        const QString adds =
            "for i in $(seq 0 199); do \"$0\" add \"$1\" --name A$i --price '$1' || exit 1; done";
        const QString mixed = "for i in $(seq 0 99); do \"$0\" add \"$1\" --name B$i || exit 1; "
                              "\"$0\" delete \"$1\" D$i || exit 1; done";
        // Meanwhile price updates rewrite the whole file, each one between two of those commands.
        vitrinex::TUpdateRecord update;
        std::memset(&update, 0, sizeof update);
        update.UpdateCatNum.assign("X1");
        update.UpdatePrice.assign("5");
        writeBytes("update.dat", QByteArray(reinterpret_cast<const char*>(&update), sizeof update));
        const QString applies =
            "for i in $(seq 0 59); do \"$0\" apply \"$1\" update.dat >/dev/null || exit 1; done";
        QProcess first, second, third;
        first.start("sh", {"-c", adds, VITRINEX_CLI, f});
        second.start("sh", {"-c", mixed, VITRINEX_CLI, f});
        third.start("sh", {"-c", applies, VITRINEX_CLI, f});
        QVERIFY(first.waitForFinished(240000) && second.waitForFinished(240000) &&
                third.waitForFinished(240000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(third.exitCode() == 0, third.readAllStandardError());
        QStringList expected;
        for (int i = 0; i < 200; ++i)
            expected << QString("A%1").arg(i) << (i < 100 ? QString("B%1").arg(i) : QString());
        expected.removeAll(QString());
        QStringList names = itemNames(f);
        names.sort();
        expected.sort();
        QCOMPARE(names, expected);
    }

    void oddFilesAreRefusedAtOnce() {
        QVERIFY(::mkfifo("pipe.fcd", 0600) == 0);
        QDir().mkdir("folder.fcd");
        for (const QString& odd : {file("pipe.fcd"), QString("/dev/zero"), file("folder.fcd")}) {
            for (const QStringList& args :
                 {QStringList{"show", odd}, QStringList{"stats", odd}, QStringList{"add", odd, "--name", "X"},
                  QStringList{"delete", odd, "X"}}) {
                const CliRun r = cli(args);
                QCOMPARE(r.status, 1);
                QCOMPARE(r.err, "vitrinex-cli: " + odd.toUtf8() + ": File access denied\n");
            }
        }
    }

    // A file in which little reads as a collection is refused by name and never written; check
    // still reports on it and repair keeps what reads.
    void fileThatIsNoCollectionIsRefusedWhole() {
        QByteArray random(66 * 1024, '\0');
        quint32 seed = 11;
        for (char& b : random)
            b = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
        writeBytes("random.fcd", random);
        for (const QStringList& args :
             {QStringList{"stats", "random.fcd"}, QStringList{"add", "random.fcd", "--name", "X"}}) {
            const CliRun r = cli(args);
            QVERIFY2(r.status == 1 && r.err.startsWith("vitrinex-cli: random.fcd: no collection file: "),
                     r.err);
        }
        QCOMPARE(readBytes("random.fcd"), random);
        QVERIFY(!cli({"check", "random.fcd"}).json()["damaged"].toArray().isEmpty());

        QByteArray mostlyDamaged = fileImage(header(), {record("Batman")});
        for (int i = 0; i < 3; ++i)
            mostlyDamaged += QByteArray(1324, '\0');
        writeBytes("mostly.fcd", mostlyDamaged);
        QCOMPARE(cli({"stats", "mostly.fcd"}).status, 1);
        QCOMPARE(cli({"repair", "mostly.fcd"}).json()["kept"].toInt(), 1);
        QCOMPARE(cli({"stats", "mostly.fcd"}).status, 0);
    }

    // A collection that cannot be written (here immutable, which binds root too) is read as usual,
    // and every change is refused, naming the file, with the file left as it was.
    void readOnlyCollectionRefusesChanges() {
        writeBytes("sample.fcd", fileImage(header(), {record("Batman")}));
        const fixtures::ImmutableFile immutable("sample.fcd");
        if (!immutable.ok()) QSKIP(fixtures::ImmutableFile::unavailable());
        const QByteArray before = readBytes("sample.fcd");
        QCOMPARE(cli({"stats", "sample.fcd"}).status, 0);
        writeBytes("rows.csv", "name,price\nJoker,$3\n");
        for (const QStringList& args :
             {QStringList{"add", "sample.fcd", "--name", "X"}, QStringList{"delete", "sample.fcd", "Batman"},
              QStringList{"import-csv", "sample.fcd", "rows.csv"}}) {
            const CliRun r = cli(args);
            QCOMPARE(r.status, 1);
            QCOMPARE(r.err,
                     QByteArray("vitrinex-cli: sample.fcd is read-only: its changes cannot be saved\n"));
        }
        QCOMPARE(readBytes("sample.fcd"), before);
    }

    void fileSizeLimitSaysDiskFull() {
        QDir().mkdir("limit");
        const QString f = file("limit/limited.fcd");
        QCOMPARE(cli({"new", f, "--name", "Heroes", "--brand", "Kenner", "--year", "1985-1990"}).status, 0);
        const QByteArray before = readBytes(f.toStdString());
        // dash counts the limit in 512-byte blocks: 1024 bytes, less than one record.
        const CliRun r =
            run("sh", {"-c", "ulimit -f 2 && exec \"$0\" \"$@\"", VITRINEX_CLI, "add", f, "--name", "X"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.endsWith(": Disk full\n"), r.err);
        QCOMPARE(readBytes(f.toStdString()), before);
        QCOMPARE(strayFiles(file("limit"), {"limited.fcd"}), QStringList());
    }

    void errorsNameTheFileOnOneLine() {
        const QString missing = file("missing.fcd");
        QCOMPARE(cli({"add", "--name", "X", missing}).err,
                 "vitrinex-cli: " + missing.toUtf8() + ": File not found\n");
        QCOMPARE(cli({"show", file("no-folder/x.fcd")}).err.endsWith(": Path not found\n"), true);
        const QString f = file("lines.fcd");
        cli({"new", f, "--name", "Heroes", "--brand", "Kenner", "--year", "1985-1990"});
        const CliRun r = cli({"delete", f, "two\nlines\r"});
        QCOMPARE(r.err, QByteArray("vitrinex-cli: a match for 'two\\nlines\\r' was not found.\n"));
    }
};

QTEST_GUILESS_MAIN(CliSafetyTest)
#include "test_cli_safety.moc"
