// vitrinex-cli end to end: the commands, their JSON and their errors, run as a user would.
#include "CliRunner.h"
#include "CollectionFixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace vitrinex::testing;

using namespace fixtures;

class CliTest : public QObject {
    Q_OBJECT

    CliRun cli(const QStringList& args) { return runCli(args); }
    QString file(const char* name) { return QDir::current().absoluteFilePath(name); }

private slots:
    // The help names every command there is, and every command it names is one.
    void helpListsCommandsItKnows() {
        const CliRun help = cli({"--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.err.isEmpty());
        const QRegularExpression usage("^\\s*vitrinex-cli (\\S+)", QRegularExpression::MultilineOption);
        QStringList named;
        for (auto it = usage.globalMatch(QString::fromUtf8(help.out)); it.hasNext();)
            named << it.next().captured(1);
        QVERIFY2(named.size() >= 5, help.out.constData());
        for (const QString& command : named)
            QVERIFY2(!cli({command}).err.contains("unknown command"), qPrintable(command));
        QVERIFY(cli({"bogus"}).err.contains("unknown command"));
    }

    void newShowAndAddStoreExactTexts() {
        const QString f = file("heroes.fcd");
        QCOMPARE(cli({"new", f, "--name", "Heroes", "--brand", "Kenner", "--year", "1985-1990"}).status, 0);
        QCOMPARE(QFileInfo(f).size(), 1324);
        CliRun show = cli({"show", f});
        QCOMPARE(show.status, 0);
        QJsonObject header = show.json()["header"].toObject();
        QCOMPARE(header["CollectionName"].toString(), QString("Heroes"));
        QCOMPARE(header["LastUpdate"].toString(), QString("New Collection"));
        QCOMPARE(header["UpdateType"].toString(), QString(""));
        QCOMPARE(header["CollectionYear"].toString(), QString("1985-1990"));
        QCOMPARE(show.json()["items"].toArray().size(), 0);

        QCOMPARE(cli({"add", f, "--name", QString::fromUtf8("Caf\u00e9 Racer \u20ac"), "--quantity", "3",
                      "--price", "$12.99", "--netchange", "$-5", "--comments",
                      "line one\\nline two\nline three", "--catnum", "ABCDEFGHI", "--condition", "loose"})
                     .status,
                 0);
        show = cli({"show", f});
        const QJsonObject item = show.json()["items"].toArray().at(0).toObject();
        QCOMPARE(item["FigureName"].toString(), QString::fromUtf8("Caf\u00e9 Racer \u20ac"));
        QCOMPARE(item["Quantity"].toInt(), 3);
        QCOMPARE(item["Price"].toString(), QString("$12.99"));
        QCOMPARE(item["NetChange"].toString(), QString("$-5"));
        QCOMPARE(item["CatNum"].toString(), QString("ABCDEFGHI"));
        QCOMPARE(item["Condition"].toString(), QString("loose"));
        QCOMPARE(item["Comments"].toString(), QString("line one\r\nline two\r\nline three"));
        QCOMPARE(item["UpdateMark"].toString(), QString(""));
        // The name is stored in Windows-1252: one byte for each of é and €.
        const QByteArray bytes = readBytes(f.toStdString());
        QCOMPARE(int(static_cast<unsigned char>(bytes.at(1324))), 12);
        QCOMPARE(bytes.mid(1325, 12), QByteArray("Caf\xe9 Racer \x80"));
    }

    void statsShowsWhatTheProgramShows() {
        const QString f = file("stats.fcd");
        cli({"new", f, "--name", "Heroes", "--brand", "Kenner", "--year", "1985-1990"});
        cli({"add", f, "--name", "zeta", "--quantity", "3", "--price", "$12.99", "--netchange", "$2"});
        // The price is read from its text and multiplied in extended precision, the sum rounded.
        QCOMPARE(cli({"stats", f}).json()["caption"].toString(),
                 QString("Vitrinex 1.4 - Heroes:  $38.9699999999721"));
        cli({"add", f, "--name", "Alpha", "--price", "$  12.99", "--netchange", "$  -1"});
        cli({"add", f, "--name", "beta", "--price", "$1", "--netchange", "$2"});
        const CliRun r = cli({"stats", f});
        QCOMPARE(r.status, 0);
        const QJsonObject s = r.json();
        QCOMPARE(s["caption"].toString(), "Vitrinex 1.4 - Heroes:  " + s["value"].toString());
        QCOMPARE(s["total"].toString(), QString("total items:  3"));
        QCOMPARE(s["netChange"].toString(), QString("$3"));
        QCOMPARE(s["high"].toArray(), QJsonArray({"zeta  $12.99", "Alpha  $  12.99"}));
        QCOMPARE(s["low"].toArray(), QJsonArray({"beta  $1"}));
        QCOMPARE(s["hot"].toArray(), QJsonArray({"zeta  $2", "beta  $2"}));
        QCOMPARE(s["cold"].toArray(), QJsonArray({"Alpha  $  -1"}));
        QCOMPARE(s["list"].toArray(), QJsonArray({"Alpha", "beta", "zeta"}));
    }

    void refusalsLeaveTheFileByteForByte() {
        const QString f = file("refuse.fcd");
        cli({"new", f, "--name", "Heroes", "--brand", "Kenner", "--year", "1985-1990"});
        cli({"add", f, "--name", "Batman", "--price", "$5"});
        const QByteArray before = readBytes(f.toStdString());

        CliRun r = cli({"add", f, "--name", "batman"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err.trimmed(), QByteArray("vitrinex-cli: batman already exists!"));
        QVERIFY(r.out.isEmpty());
        QCOMPARE(cli({"add", f, "--name", "Robin", "--price", "$1.2.3"}).status, 1);
        QCOMPARE(cli({"add", f, "--name", "Robin", "--netchange", "$1.5"}).status, 1);
        QCOMPARE(cli({"add", f, "--name", "Robin", "--quantity", "0"}).status, 1);
        QCOMPARE(cli({"delete", f, "Robin"}).status, 1);
        r = cli({"new", f, "--name", "X", "--brand", "Y", "--year", "1990-1991"});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains("already exists"));
        QCOMPARE(readBytes(f.toStdString()), before);
        QCOMPARE(QDir().entryList({".refuse.fcd*"}, QDir::Files | QDir::Hidden), QStringList());
    }

    void deleteRemovesTheItem() {
        const QString f = file("delete.fcd");
        cli({"new", f, "--name", "Heroes", "--brand", "Kenner", "--year", "1985-1990"});
        cli({"add", f, "--name", "Batman", "--price", "$5"});
        cli({"add", f, "--name", "Robin", "--price", "$7"});
        QCOMPARE(cli({"delete", f, "BATMAN"}).status, 0);
        const QJsonObject s = cli({"stats", f}).json();
        QCOMPARE(s["list"].toArray(), QJsonArray({"Robin"}));
        QCOMPARE(s["value"].toString(), QString("$7"));
        QCOMPARE(QFileInfo(f).size(), 2 * 1324);
    }

    void errorsAreOneLineAndStatusOne() {
        CliRun r = cli({"stats", file("missing.fcd")});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.endsWith("File not found\n"));
        QCOMPARE(r.err.count('\n'), 1);
        writeBytes(file("torn.fcd").toStdString(), QByteArray(1324 + 10, '\0'));
        r = cli({"stats", file("torn.fcd")});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains("no collection file"));
        QCOMPARE(r.err.count('\n'), 1);
        QCOMPARE(cli({"frobnicate"}).status, 1);
        QCOMPARE(cli({"add", file("x.fcd"), "--bogus", "1"}).status, 1);
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "test_cli.moc"
