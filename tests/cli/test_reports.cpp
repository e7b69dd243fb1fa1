// vitrinex-cli's export and print commands, run as a user would.
#include "CliRunner.h"
#include "CollectionFixtures.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace vitrinex::testing;

class CliReportsTest : public QObject {
    Q_OBJECT

    CliRun cli(const QStringList& args) { return runCli(args); }

private slots:
    void initTestCase() {
        cli({"new", "heroes.fcd", "--name", "Heroes", "--brand", "Kenner", "--year", "1985"});
        cli({"add", "heroes.fcd", "--name", "zeta", "--price", "$3", "--netchange", "$-1", "--quantity",
             "2"});
        cli({"add", "heroes.fcd", "--name", "Alpha", "--comments", "first\\nsecond"});
    }

    void exportWritesBesideTheFileAndTellsItsName() {
        const CliRun r = cli({"export", "heroes.fcd"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.json()["file"].toString(), QString("heroes.txt"));
        QCOMPARE(r.json()["message"].toString(),
                 QString("Heroes has been exported as a text file. the file is named heroes.txt."));
        const QByteArray text = fixtures::readBytes("heroes.txt");
        QVERIFY(text.startsWith("Vitrinex 1.4\r\n\r\nHeroes   Kenner   1985\r\n\r\nAlpha(1)\r\n"));
        QVERIFY(text.contains("     Comments:  first\r\nsecond\r\n\r\nzeta(2)\r\n"));

        QDir().mkdir("locked.txt");
        QVERIFY(QFile::copy("heroes.fcd", "locked.fcd"));
        const CliRun failed = cli({"export", "locked.fcd"});
        QCOMPARE(failed.status, 1);
        QVERIFY(failed.out.isEmpty());
        QVERIFY2(failed.err.contains("locked.txt: File access denied"), failed.err);
    }

    void printWritesAPdf() {
        const CliRun r = cli(
            {"print", "heroes.fcd", "--pdf", "list.pdf", "--fields", "price,quantity", "--page", "letter"});
        if (r.status != 0 && r.err.contains("not available")) QSKIP("this build has no printing");
        QCOMPARE(r.status, 0);
        QCOMPARE(r.json()["pages"].toInt(), 1);
        QProcess info;
        info.start("pdfinfo", {"list.pdf"});
        QVERIFY(info.waitForFinished(30000));
        QVERIFY(info.readAllStandardOutput().contains("612 x 792 pts (letter)"));
        QProcess text;
        text.start("pdftotext", {"list.pdf", "-"});
        QVERIFY(text.waitForFinished(30000));
        const QString page = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        QVERIFY2(
            QRegularExpression("1\\.\\) Alpha \\(1\\).*2\\.\\) zeta \\(2\\) \\$3").match(page).hasMatch(),
            qPrintable(page));
        QVERIFY(!page.contains("comments:"));

        QCOMPARE(cli({"print", "heroes.fcd", "--pdf", "list.pdf", "--fields", "colour"}).status, 1);
        const CliRun failed = cli({"print", "heroes.fcd", "--pdf", "missing/list.pdf"});
        QCOMPARE(failed.status, 1);
        QVERIFY2(failed.err.contains("missing/list.pdf: "), failed.err);
    }
};

QTEST_GUILESS_MAIN(CliReportsTest)
#include "test_reports.moc"
