// What another user of the machine, or a crafted name, may put in vitrinex-cli's way: a journal
// planted beside a collection, a data folder that is not the user's own, update.dat aimed at a
// collection, an endless answer. Each is refused or ignored, and the collection stays as it was.
#include "CliRunner.h"
#include "CollectionFixtures.h"
#include "OtherUser.h"

#include <QJsonArray>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace vitrinex::testing;

using namespace fixtures;

class AttackTest : public QObject {
    Q_OBJECT

    static CliRun cli(const QStringList& args, const QString& killAt = {}) {
        CliOptions o;
        if (!killAt.isEmpty()) o.environment = {{"VITRINEX_TEST_KILL_AT", killAt}};
        return runCli(args, o);
    }
    static int itemCount(const QString& file) { return cli({"stats", file}).json()["list"].toArray().size(); }

private slots:
    // A journal rewrites the collection at the next open; one that another user put there, however
    // well it names the file, is not this user's save and changes nothing.
    void plantedJournalIsIgnored() {
        if (!otherUserAvailable()) QSKIP(otherUserUnavailable());
        QVERIFY(::chmod(".", 0755) == 0 && QDir().mkdir("shared") && ::chmod("shared", 01777) == 0);
        const QString file = "shared/heroes.fcd", journal = "shared/.heroes.fcd.vitrinex-journal";
        writeBytes(file.toStdString(), fileImage(header(), {record("Batman")}));
        QVERIFY(::link("shared/heroes.fcd", "linked.fcd") == 0); // a hard link is saved in place
        // A genuine journal of the one-item file, kept aside by the "attacker" before the file grew.
        QVERIFY(cli({"add", file, "--name", "Joker"}, "journal-kept").crashed);
        const QByteArray journalBytes = readBytes(journal.toStdString());
        QVERIFY(journalBytes.size() > 1324 && QFile::remove(journal));
        QCOMPARE(cli({"add", file, "--name", "Joker"}).status, 0);
        QCOMPARE(itemCount(file), 2);

        QVERIFY(asOtherUser([&] {
            QFile planted(journal);
            return planted.open(QIODevice::WriteOnly) && planted.write(journalBytes) == journalBytes.size();
        }));
        const CliRun stats = cli({"stats", file});
        QVERIFY2(!stats.err.contains("cut short"), stats.err);
        QCOMPARE(stats.json()["list"].toArray().size(), 2);
    }

    // The data folder holds generations, history and journals: another user's folder there is
    // refused by name, before and after anything else is written.
    void dataFolderOfAnotherUserIsRefused() {
        if (!otherUserAvailable()) QSKIP(otherUserUnavailable());
        writeBytes("mine.fcd", fileImage(header(), {record("Batman")}));
        const QString ours = QDir::current().absoluteFilePath("data/vitrinex");
        QVERIFY(QDir().mkpath(ours) && ::chown(ours.toLocal8Bit(), kOtherUser, kOtherUser) == 0);
        for (const QStringList& args :
             {QStringList{"backup", "mine.fcd"}, QStringList{"history", "mine.fcd"}}) {
            const CliRun run = cli(args);
            QVERIFY2(run.status == 1 && run.err.contains(ours.toUtf8() + " is not a folder of this user"),
                     run.err);
        }
    }

    // update.dat is written only where no collection stands, and a scan that never ends is stopped
    // at update.dat's bound, leaving no temporary file.
    void scanKeepsToItsOwnFile() {
        writeBytes("mine.fcd", fileImage(header(), {record("Batman"), record("Joker")}));
        writeBytes("answer.auf", "{hello}C4|12.5*~");
        const QByteArray before = readBytes("mine.fcd");
        const CliRun over = cli({"scan", "answer.auf", "--out", "mine.fcd"});
        QVERIFY2(over.status == 1 && over.err.contains("holds a collection"), over.err);
        QCOMPARE(readBytes("mine.fcd"), before);

        const CliRun endless = cli({"scan", "/dev/zero", "--out", "update.dat"});
        QVERIFY2(endless.status == 1 && endless.err.contains("/dev/zero"), endless.err);
        QCOMPARE(QDir(".", "*.tmp", QDir::Name, QDir::Hidden | QDir::Files).entryList(), QStringList());
    }
};

QTEST_GUILESS_MAIN(AttackTest)
#include "test_attacks.moc"
