// vitrinex-cli add/edit --as-typed and find, run as a script would run them.
#include "CliRunner.h"
#include "CollectionFixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace vitrinex::testing;

using namespace fixtures;

class ItemCommandsTest : public QObject {
    Q_OBJECT

    CliRun cli(const QStringList& args) { return runCli(args); }
    QString heroes() {
        const QString f = QDir::current().absoluteFilePath("heroes.fcd");
        QFile::remove(f);
        cli({"new", f, "--name", "Heroes", "--brand", "Kenner", "--year", "1985-1990"});
        return f;
    }
    QString refusal(const CliRun& r) {
        if (r.status != 1 || !r.out.isEmpty()) return "not refused: " + r.out;
        return QString::fromUtf8(r.err.trimmed()).remove("vitrinex-cli: ");
    }
    QJsonArray items(const QString& f) { return cli({"show", f}).json()["items"].toArray(); }

private slots:
    void addCleansPriceAndNetChangeAndRefusesWhatIsNoAmount() {
        const QString f = heroes();
        const CliRun r = cli({"add", f, "--as-typed", "--name", "Batman", "--quantity", "2", "--year", "85",
                              "--price", "$ 12.50 ", "--netchange", "$-5", "--condition", "loose"});
        QCOMPARE(r.status, 0);
        const QJsonObject item = r.json();
        QCOMPARE(item["Price"].toString(), QString("$  12.50"));
        QCOMPARE(item["NetChange"].toString(), QString("$  -5"));
        QCOMPARE(item["Year"].toString(), QString("85  "));
        QCOMPARE(item["Quantity"].toInt(), 2);
        QCOMPARE(item, items(f).at(0).toObject());

        const QByteArray before = readBytes(f.toStdString());
        const QStringList robin = {"add",        f,   "--as-typed", "--name", "Robin",
                                   "--quantity", "1", "--year",     "1990"};
        QCOMPARE(refusal(cli(robin + QStringList{"--price", "$12,50"})),
                 QString("invalid price: $12,50   is an invalid price!"));
        QCOMPARE(refusal(cli(robin + QStringList{"--price", "$1.2.3"})),
                 QString("invalid price: $1.2.3   is an invalid price!"));
        QCOMPARE(
            refusal(cli(robin + QStringList{"--netchange", "$5-"})),
            QString("invalid net change value: $5-   is an invalid value for net change. net change must "
                    "be an integer."));
        QVERIFY(refusal(cli(robin + QStringList{"--netchange", "$-"}))
                    .startsWith("invalid net change value: $-    is"));
        QCOMPARE(refusal(cli({"add", f, "--as-typed", "--name", "Robin", "--quantity", "1"})),
                 QString("Cannot add item. Check to make sure you have filled in necessary fields."));
        QCOMPARE(refusal(cli(robin + QStringList{"--price", "$       "})).left(16),
                 QString("Cannot add item."));
        QCOMPARE(refusal(cli({"add", f, "--as-typed", "--name", "BATMAN", "--quantity", "1", "--year", "1"})),
                 QString("item exists: BATMAN already exists!"));
        QCOMPARE(cli(robin + QStringList{"--year", "19a0"}).status, 1);
        QCOMPARE(readBytes(f.toStdString()), before);
    }

    void editSavesSameNameAndRenamesWithRestore() {
        const QString f = heroes();
        const QStringList one = {"--quantity", "1", "--year", "1985"};
        cli(QStringList{"add", f, "--as-typed", "--name", "Batman", "--catnum", "B-1"} + one);
        cli(QStringList{"add", f, "--as-typed", "--name", "Robin", "--catnum", "R-1"} + one);

        // The same name in capitals keeps the item and its other fields.
        CliRun r = cli({"edit", f, "batman", "--as-typed", "--name", "BATMAN"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.json()["FigureName"].toString(), QString("BATMAN"));
        QCOMPARE(r.json()["CatNum"].toString(), QString("B-1"));

        // A rename reaches the file at once.
        r = cli({"edit", f, "Robin", "--as-typed", "--name", "Nightwing", "--quantity", "4"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.json()["Quantity"].toInt(), 4);
        QCOMPARE(cli({"stats", f}).json()["list"].toArray(), QJsonArray({"BATMAN", "Nightwing"}));

        // A refused rename puts the old item back, old quantity and catalog number, in the file too.
        QCOMPARE(refusal(cli({"edit", f, "BATMAN", "--as-typed", "--name", "nightwing", "--quantity", "9"})),
                 QString("item exists: nightwing already exists!"));
        QJsonObject restored;
        for (const auto& v : items(f))
            if (v.toObject()["FigureName"] == "BATMAN") restored = v.toObject();
        QCOMPARE(restored["Quantity"].toInt(), 1);
        QCOMPARE(restored["CatNum"].toString(), QString("B-1"));
        QCOMPARE(cli({"stats", f}).json()["list"].toArray(), QJsonArray({"BATMAN", "Nightwing"}));

        QCOMPARE(refusal(cli({"edit", f, "Robin", "--as-typed"})),
                 QString("a match for 'Robin' was not found."));
    }

    // Fields not given keep their stored texts, even ones the dialog's fields cannot show.
    void editKeepsWhatIsNotTyped() {
        const QString f = QDir::current().absoluteFilePath("kept.fcd");
        vitrinex::NewItemValues v = item("Batman", "12345.67", "$5.5", 1234);
        v.Year = "1985-1990";
        v.Condition = "mint";
        writeCollection(f, {v});
        QJsonObject before = items(f).at(0).toObject();
        before["Comments"] = "boxed";
        QCOMPARE(cli({"edit", f, "Batman", "--as-typed", "--comments", "boxed"}).json(), before);
        QCOMPARE(items(f).at(0).toObject(), before);
    }

    // A quantity of 0 would mark the record deleted: every way in refuses it alike.
    void aQuantityOf0IsRefused() {
        const QString f = heroes();
        cli({"add", f, "--name", "Batman", "--year", "1985"});
        writeBytes("zero.csv", "name,quantity\r\nRobin,0\r\n");
        const QByteArray before = readBytes(f.toStdString());
        for (const QStringList& args :
             {QStringList{"add", f, "--as-typed", "--name", "R", "--quantity", "0", "--year", "1"},
              {"add", f, "--name", "R", "--quantity", "0"},
              {"edit", f, "Batman", "--as-typed", "--quantity", "0"},
              {"import-csv", f, "zero.csv"}})
            QVERIFY(refusal(cli(args)).endsWith(
                "quantity: a quantity of 0 is not kept; to remove an item, use delete."));
        QCOMPARE(readBytes(f.toStdString()), before);
    }

    void findGoesOnFromFindStartAndNeverWraps() {
        const QString f = heroes();
        for (const char* name : {"Superman", "Hangman", "Batman", "Robin"})
            cli({"add", f, "--as-typed", "--name", name, "--quantity", "1", "--year", "1985"});
        QStringList found;
        int next = 0;
        for (int i = 0; i < 3; ++i) {
            const QJsonObject r = cli({"find", f, "MAN", "--from", QString::number(next)}).json();
            QCOMPARE(r["label"].toString(), QString("click the 'ok' to find next."));
            found << r["name"].toString();
            QCOMPARE(r["index"].toInt() + 1, r["next"].toInt());
            next = r["next"].toInt();
        }
        QCOMPARE(found, QStringList({"Batman", "Hangman", "Superman"}));
        const QJsonObject none = cli({"find", f, "man", "--from", QString::number(next)}).json();
        QCOMPARE(none["label"].toString(), QString("a match for 'man' was not found."));
        QVERIFY(none["index"].isNull() && none["name"].isNull());
        QCOMPARE(none["next"].toInt(), next);
        QCOMPARE(cli({"find", f, "Batmanx"}).json()["index"].isNull(), true);
        QCOMPARE(cli({"find", f, "man", "--from", "-1"}).status, 1);
    }
};

QTEST_GUILESS_MAIN(ItemCommandsTest)
#include "test_itemcommands.moc"
