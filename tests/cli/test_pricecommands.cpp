// vitrinex-cli backup and apply, run as a user would.
#include "CliRunner.h"
#include "CollectionFixtures.h"
#include "collection/PriceApplication.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace vitrinex::testing;

using namespace fixtures;

class PriceCliTest : public QObject {
    Q_OBJECT

    int status = -1;
    QByteArray error;
    QJsonObject cli(const QStringList& args) {
        const CliRun run = runCli(args);
        status = run.status;
        error = run.err;
        return run.json();
    }

private slots:
    void backupThenApplyPrintsTheStatisticsAfterTheUpdate() {
        const QString f = QDir::current().absoluteFilePath("heroes.fcd");
        cli({"new", f, "--name", "Heroes", "--brand", "Kenner", "--year", "1985-1990"});
        cli({"add", f, "--name", "Luke", "--price", "$14.99", "--catnum", "ab12"});
        cli({"add", f, "--name", "Han", "--price", "$12.99", "--catnum", "CD7"});
        const QByteArray saved = readBytes(f.toStdString());

        const QJsonObject backup = cli({"backup", f});
        QCOMPARE(status, 0);
        QCOMPARE(backup["file"].toString(), QDir::current().absoluteFilePath("heroes.bak"));
        QVERIFY(backup["message"].toString().endsWith("the file is named heroes.bak."));
        QCOMPARE(readBytes("heroes.bak"), saved);

        cli({"apply", f, "missing.dat"});
        QCOMPARE(status, 1);
        QVERIFY(error.contains("update file not found!"));
        QCOMPARE(readBytes(f.toStdString()), saved);

        vitrinex::TUpdateRecord r;
        std::memset(&r, 0, sizeof r);
        r.UpdateCatNum.assign("AB12");
        r.UpdatePrice.assign("19.99");
        writeBytes("update.dat", QByteArray(reinterpret_cast<const char*>(&r), sizeof r) + "torn");
        const QJsonObject s = cli({"apply", f, "update.dat"});
        QCOMPARE(status, 0);
        QCOMPARE(s["updated"].toString(), QString("1/2"));
        QCOMPARE(s["hot"].toArray(), QJsonArray({"Luke  $4.99999999998545"}));
        QCOMPARE(s["changes"].toArray(),
                 QJsonArray({QJsonObject{{"item", "Luke"}, {"old", "$14.99"}, {"new", "$19.99"}}}));
        // The header is as it was.
        QCOMPARE(readBytes(f.toStdString()).left(1324), saved.left(1324));

        // An update that matches nothing leaves no change to list beside its net change of $0.
        r.UpdateCatNum.assign("NONE");
        writeBytes("update.dat", QByteArray(reinterpret_cast<const char*>(&r), sizeof r));
        const QJsonObject none = cli({"apply", f, "update.dat"});
        QCOMPARE(none["updated"].toString() + " " + none["netChange"].toString(), QString("0/2 $0"));
        QVERIFY(none["hot"].toArray().isEmpty() && none["cold"].toArray().isEmpty());
        QVERIFY(none["changes"].toArray().isEmpty());
        QCOMPARE(none["unmatched"].toArray(), QJsonArray({"NONE"}));
    }

    void deletedItemsAndPricePointsAreTheCommandsOwn() {
        const QString f = QDir::current().absoluteFilePath("rebels.fcd");
        cli({"new", f, "--name", "Heroes", "--brand", "Kenner", "--year", "1985-1990"});
        cli({"add", f, "--name", "Luke", "--price", "$14.99", "--quantity", "2", "--comments", "boxed"});
        const QJsonObject shown = cli({"show", f})["items"].toArray()[0].toObject();
        cli({"delete", f, "Luke"});
        const QJsonArray deleted = cli({"deleted", f})["deleted"].toArray();
        QCOMPARE(deleted.size(), 1);
        QCOMPARE(deleted[0]["item"].toObject(), shown);
        QVERIFY(QDateTime::fromString(deleted[0]["time"].toString(), Qt::ISODate).isValid());
        QCOMPARE(cli({"undelete", f, "luke"})["item"].toObject(), shown);
        cli({"undelete", f, "Luke"});
        QCOMPARE(status, 1);
        QVERIFY(error.contains("Luke"));

        const QJsonObject history = cli({"price-history", f, "LUKE"});
        QCOMPARE(history["item"].toString(), QString("Luke"));
        const QJsonArray points = history["points"].toArray();
        QCOMPARE(points.size(), 1);
        QCOMPARE(points[0].toObject().keys(), (QStringList{"netChange", "price", "source", "time"}));
        QCOMPARE(points[0]["price"].toString() + points[0]["source"].toString(), QString("$14.99add"));
    }
};

QTEST_GUILESS_MAIN(PriceCliTest)
#include "test_pricecommands.moc"
