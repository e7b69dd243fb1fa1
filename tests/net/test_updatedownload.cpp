// The download of a catalog update without a window, against a loopback HTTP server: every way it can
// end, what it leaves in update.dat, and a window closed while it runs.

#include "UpdateServer.h"
#include "net/UpdateDownload.h"

#include <QFile>
#include <QTest>

using vitrinex::net::UpdateDownload;

namespace {

const QByteArray kGoodAnswer = "<html><body>\n{prices of 5.12.99}AB12|4.50*CD7|10*~</body></html>";

struct Run {
    UpdateDownload download;
    QStringList sounds, boxes;
    int backups = 0, applied = 0;

    Run(const QString& hostPort, const std::string& type = "SW", int timeoutMs = 5000) {
        download.UpdateType = type;
        download.UpdateHost = hostPort.toStdString();
        download.setIntervals(timeoutMs, 10);
        download.play = [this](const std::string& s) { sounds << QString::fromStdString(s); };
        download.showSocketError = [this](const std::string& s) { boxes << QString::fromStdString(s); };
        download.writeBackup = [this](const std::function<void(int)>&) { ++backups; };
        download.applyUpdate = [this](const std::function<void(int)>&) {
            ++applied;
            download.setFinished(true);
            return true;
        };
    }
    bool finish() {
        download.FormShow();
        return QTest::qWaitFor([this] { return download.Finished; }, 10000);
    }
    QString label() const { return QString::fromStdString(download.Label1()); }
    QString status() const { return QString::fromStdString(download.StatusLBL()); }
};

QByteArray updateDat() {
    QFile f("update.dat");
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
}

} // namespace

class TestUpdateDownload : public QObject {
    Q_OBJECT
private slots:
    void goodFileIsStoredAndApplied() {
        UpdateServer server({{"update.auf", kGoodAnswer}});
        SKIP_WITHOUT_SERVER(server);
        Run run(server.hostPort());
        QVERIFY(run.finish());
        QCOMPARE(run.backups, 1);
        QCOMPARE(run.applied, 1);
        QCOMPARE(run.sounds, QStringList{"v10up.qys"});
        QVERIFY(run.boxes.isEmpty());
        QCOMPARE(run.download.UpdateMessage(), std::string("prices of 5.12.99"));
        QCOMPARE(run.download.Progress(), 500);
        const QByteArray dat = updateDat();
        QCOMPARE(dat.size(), 42);
        QCOMPARE(dat.mid(0, 5), QByteArray("\x04" "AB12", 5));
        QCOMPARE(dat.mid(10, 5), QByteArray("\x04" "4.50", 5));
        QCOMPARE(dat.mid(21, 4), QByteArray("\x03" "CD7", 4));
        QCOMPARE(dat.mid(31, 3), QByteArray("\x02" "10", 3));
    }

    void answersWithoutUpdateFileEndAsNotFound_data() {
        QTest::addColumn<QByteArray>("served");
        QTest::addColumn<QString>("type");
        QTest::newRow("missing file: the server's 404 page") << QByteArray("AB|1*~") << "HW";
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
        QCOMPARE(run.status(), "status:  update file not found . . .");
        QCOMPARE(run.applied, 0);
        QCOMPARE(run.sounds, (QStringList{"v10up.qys", "v10dt.qys"}));
        QVERIFY(!run.download.FileOpen);
    }

    void silentServerTimesOut() {
        SilentServer silent;
        Run run(silent.hostPort(), "SW", 300);
        QVERIFY(run.finish());
        QCOMPARE(run.label(),
                 "update has timed-out. be sure you have established an internet connection and try again.");
        QCOMPARE(run.status(), "update has timed-out.");
        QCOMPARE(run.applied, 0);
    }

    void refusedConnectionIsNotConnected() {
        SilentServer closed;
        closed.close();
        Run run(closed.hostPort());
        QVERIFY(run.finish());
        QCOMPARE(run.label(), "vitrinex could not connect with host. please try again later.");
        QCOMPARE(run.status(), "status:  not connected . . .");
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
        QCOMPARE(run.status(), "status:  cannot find host address . . .");
        QCOMPARE(updateDat(), QByteArray("missing")); // a failed download leaves no update.dat
    }

    void closingMidDownloadMakesLaterEventsHarmless() {
        SilentServer silent;
        Run run(silent.hostPort(), "SW", 200);
        run.download.FormShow();
        QVERIFY(QTest::qWaitFor([&] { return run.download.Phase == 2; }, 5000));
        run.download.FormClose();
        const QString label = run.label(), status = run.status();
        QTest::qWait(400); // past the time-out
        QCOMPARE(run.label(), label);
        QCOMPARE(run.status(), status);
        QVERIFY(!run.download.Finished);
        QVERIFY(!run.download.FileOpen);
        QCOMPARE(run.applied, 0);
    }
};

QTEST_GUILESS_MAIN(TestUpdateDownload)
#include "test_updatedownload.moc"
