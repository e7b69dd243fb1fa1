// The catalog update job against nginx on loopback: every way it can end, what it leaves in
// update.dat and the collection, a job stopped while it runs, and another program's save meanwhile.

#include "CollectionFixtures.h"
#include "UpdateServer.h"
#include "collection/CollectionLock.h"
#include "model/CollectionSession.h"
#include "update/CatalogUpdate.h"

#include <QFile>
#include <QTest>

using namespace vitrinex::testing;

using namespace vitrinex;
using vitrinex::update::CatalogUpdate;

namespace {

const QByteArray kGoodAnswer = "<html><body>\n{prices of 5.12.99}AB12|4.50*CD7|10*~</body></html>";

// heroes.fcd with Luke (catalog number AB12, $12.50), opened.
std::string heroes() {
    std::string path = QDir::current().filePath("heroes.fcd").toStdString();
    QFile::remove("heroes.fcd");
    QFile::remove("heroes.bak");
    OpenCollection c;
    c.CreateCollection(path, "Heroes", "Kenner", "1985");
    NewItemValues luke = fixtures::item("Luke");
    luke.CatNum = "AB12";
    c.InsertNewItem(luke);
    c.SaveCollection();
    return path;
}

struct Run {
    CollectionSession collection;
    CatalogUpdate job{collection};
    QStringList sounds, boxes, refused;
    QString message, status;
    int applied = 0, progress = -1;
    bool finished = false;

    Run(const QString& hostPort, const std::string& type = "SW", int timeoutMs = 5000, int pauseMs = 10,
        CollectionSession::Staleness staleness = CollectionSession::Staleness::Refuse)
        : collection(staleness) {
        collection.open(QString::fromStdString(heroes()));
        chosenType = type;
        job.setHost(hostPort.toStdString());
        job.setIntervals(timeoutMs, pauseMs);
        QObject::connect(&job, &CatalogUpdate::soundRequested, [this](const QString& s) { sounds << s; });
        QObject::connect(&job, &CatalogUpdate::socketError, [this](const QString& s) { boxes << s; });
        QObject::connect(&job, &CatalogUpdate::changedElsewhere, [this](const EChangedElsewhere& e) {
            refused << QString::fromStdString(e.fileName());
        });
        QObject::connect(&job, &CatalogUpdate::stageChanged, [this](const QString& m, const QString& s) {
            message = m;
            status = s;
        });
        QObject::connect(&job, &CatalogUpdate::progressChanged, [this](int value) { progress = value; });
        QObject::connect(&job, &CatalogUpdate::finished, [this](const update::CatalogUpdateResult& r) {
            QCOMPARE(r.message + r.status, message + status); // the final texts are the last shown
            applied += r.applied;
            finished = true;
        });
    }
    void start() { job.start(QDate(2026, 12, 8), chosenType); }
    bool finish() {
        start();
        return QTest::qWaitFor([this] { return finished; }, 10000);
    }
    QString label() const { return message; }
    std::string chosenType;
};

QByteArray updateDat() {
    QFile f("update.dat");
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
}

} // namespace

class TestCatalogUpdate : public QObject {
    Q_OBJECT
private slots:
    void goodFileIsStoredAndApplied() {
        UpdateServer server({{"update.auf", kGoodAnswer}});
        SKIP_WITHOUT_SERVER(server);
        Run run(server.hostPort());
        QVERIFY(run.finish());
        QVERIFY(QFile::exists("heroes.bak"));
        QCOMPARE(run.applied, 1);
        QCOMPARE(run.sounds, QStringList{"v10up.qys"});
        QVERIFY(run.boxes.isEmpty());
        QCOMPARE(run.job.updateMessage(), std::string("prices of 5.12.99"));
        QCOMPARE(run.status, "prices of 5.12.99");
        QCOMPARE(run.progress, 500);
        OpenCollection file;
        file.LoadCollection("heroes.fcd");
        QCOMPARE(file.FindItem("Luke")->Record.Price.str(), std::string("$4.50"));
        const QByteArray dat = updateDat();
        QCOMPARE(dat.size(), 42);
        // Each field is its length byte, then its text.
        const auto field = [](const QByteArray& text) { return char(text.size()) + text; };
        QCOMPARE(dat.mid(0, 5), field("AB12"));
        QCOMPARE(dat.mid(10, 5), field("4.50"));
        QCOMPARE(dat.mid(21, 4), field("CD7"));
        QCOMPARE(dat.mid(31, 3), field("10"));
    }

    void answersWithoutUpdateFileEndAsNotFound_data() {
        QTest::addColumn<QByteArray>("served");
        QTest::addColumn<QString>("type");
        QTest::newRow("missing file: nginx's 404 page") << QByteArray("AB|1*~") << "HW";
        QTest::newRow("closed before the end marker") << QByteArray("{partial}AB12|4.50*CD7|1") << "SW";
        QTest::newRow("page of the old server") << QByteArray("<TITLE>Not Found</TITLE>A|1*~") << "SW";
    }
    void answersWithoutUpdateFileEndAsNotFound() {
        QFETCH(QByteArray, served);
        QFETCH(QString, type);
        UpdateServer server({{"update.auf", served}});
        SKIP_WITHOUT_SERVER(server);
        Run run(server.hostPort(), type.toStdString());
        QVERIFY(run.finish());
        QCOMPARE(run.label(), "update file could not be found on host. please try again later.");
        QCOMPARE(run.status, "status:  update file not found . . .");
        QCOMPARE(run.applied, 0);
        QCOMPARE(run.sounds, (QStringList{"v10up.qys", "v10dt.qys"}));
        QCOMPARE(updateDat(), QByteArray("missing"));
    }

    void silentServerTimesOut() {
        SilentServer silent;
        Run run(silent.hostPort(), "SW", 300);
        QVERIFY(run.finish());
        QCOMPARE(run.label(),
                 "update has timed-out. be sure you have established an internet connection and try again.");
        QCOMPARE(run.status, "update has timed-out.");
        QCOMPARE(run.applied, 0);
    }

    void refusedConnectionIsNotConnected() {
        SilentServer closed;
        closed.close();
        Run run(closed.hostPort());
        QVERIFY(run.finish());
        QCOMPARE(run.label(), "vitrinex could not connect with host. please try again later.");
        QCOMPARE(run.status, "status:  not connected . . .");
        // The refusal arrives with the connect event; IsConnected then fails quietly.
        QVERIFY(run.boxes.isEmpty());
        QCOMPARE(run.sounds, (QStringList{"v10up.qys", "v10dt.qys"}));
    }

    void unknownHostIsToldAtOnce() {
        Run run("nosuchhost.invalid:8080");
        QElapsedTimer clock;
        clock.start();
        QVERIFY(run.finish());
        QCOMPARE(run.label(), "nosuchhost.invalid could not be found. please try again later.");
        QCOMPARE(run.status, "status:  cannot find host address . . .");
        QCOMPARE(updateDat(), QByteArray("missing")); // a failed download leaves no update.dat
    }

    void closingMidDownloadMakesLaterEventsHarmless() {
        SilentServer silent;
        Run run(silent.hostPort(), "SW", 200);
        run.start();
        QVERIFY(QTest::qWaitFor([&] { return run.status == "status:  requesting update file . . ."; }, 5000));
        run.job.stop();
        const QString label = run.label(), status = run.status;
        QTest::qWait(400); // past the time-out
        QCOMPARE(run.label(), label);
        QCOMPARE(run.status, status);
        QVERIFY(!run.job.isFinished());
        QCOMPARE(updateDat(), QByteArray("missing"));
        QCOMPARE(run.applied, 0);
    }

    // Another program saves the collection between the download and the application: by default the
    // save is refused and the file stays as the other program left it; reading it again under the lock
    // (the command line's way) keeps that program's item and puts the prices in.
    void anotherProgramsSaveDuringTheDownload_data() {
        QTest::addColumn<bool>("reread");
        QTest::newRow("refused") << false;
        QTest::newRow("read again under the lock") << true;
    }
    void anotherProgramsSaveDuringTheDownload() {
        QFETCH(bool, reread);
        UpdateServer server({{"update.auf", kGoodAnswer}});
        SKIP_WITHOUT_SERVER(server);
        Run run(server.hostPort(), "SW", 5000, 300,
                reread ? CollectionSession::Staleness::ReadAgain : CollectionSession::Staleness::Refuse);
        run.start();
        QVERIFY(
            QTest::qWaitFor([&] { return run.status == "status:  update file transfered . . ."; }, 10000));
        const std::string path = run.collection.collection().fileName();
        {
            const CollectionLock lock(path);
            OpenCollection other;
            other.LoadCollection(path);
            other.InsertNewItem(fixtures::item("Han"));
            other.SaveCollection();
        }
        const QByteArray theirs = fixtures::readBytes(path);
        QVERIFY(QTest::qWaitFor([&] { return run.finished; }, 10000));
        OpenCollection file;
        file.LoadCollection(path);
        QVERIFY(file.FindItem("Han"));
        QCOMPARE(run.applied, reread ? 1 : 0);
        QCOMPARE(run.refused.size(), reread ? 0 : 1);
        if (reread) {
            QCOMPARE(file.FindItem("Luke")->Record.Price.str(), std::string("$4.50"));
            QCOMPARE(file.header().UpdateType + "|" + file.header().LastUpdate, std::string("SW|12/8/26"));
        } else {
            QCOMPARE(fixtures::readBytes(path), theirs);
            QCOMPARE(run.status, "status:  update not applied . . .");
            QCOMPARE(run.collection.collection().totals().ItemCount, 2); // memory holds what the file holds
        }
    }
};

QTEST_GUILESS_MAIN(TestCatalogUpdate)
#include "test_catalogupdate.moc"
