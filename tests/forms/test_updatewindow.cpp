// The update window against a loopback HTTP server: its texts follow the download, OK and stats act only
// once it has stopped, and its close box ends a download for good.
#define QTEST_QPA_MOUSE_HANDLING

#include "forms/HistoryDialogs.h"
#include "forms/UpdateWindow.h"

#include "CollectionFixtures.h"
#include "controls/PictureControl.h"
#include "model/CollectionSession.h"
#include "sound/Sound.h"

#include "RecordingSoundService.h"
#include "UpdateServer.h"
#include "WindowTestSupport.h"
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QSignalSpy>
#include <QtTest>

using namespace vitrinex::testing;

using namespace windowtest;

class TestUpdateWindow : public QObject {
    Q_OBJECT

    vitrinex::RecordingSoundService sounds_;
    int applied_ = 0;
    vitrinex::CollectionSession collection_;
    vitrinex::update::CatalogUpdate job_{collection_};

    // An update of a collection of one item against `host`, shown in `form`.
    void start(TUpdateForm& form, const QString& host) {
        vitrinex::OpenCollection c;
        const std::string path = QDir::current().filePath("heroes.fcd").toStdString();
        QFile::remove(QString::fromStdString(path));
        c.CreateCollection(path, "Heroes", "Kenner", "1985");
        c.InsertNewItem(fixtures::item("Luke"));
        c.SaveCollection();
        collection_.open(QString::fromStdString(path));
        job_.setHost(host.toStdString());
        job_.setIntervals(3000, 10);
        form.show();
        job_.start(QDate::currentDate(), "SW");
    }

private slots:
    void initTestCase() {
        connect(&job_, &vitrinex::update::CatalogUpdate::finished, this,
                [this](const vitrinex::update::CatalogUpdateResult& r) { applied_ += r.applied; });
        vitrinex::Sounds::setServiceForTesting(&sounds_);
        vitrinex::Sounds::bindSwitch([] { return true; });
    }
    void init() {
        applied_ = 0;
        sounds_.clear();
    }

    void okAndStatsActOnlyOnceTheUpdateHasStopped() {
        UpdateServer server({{QStringLiteral("update.auf"), QByteArray("{prices of 12/8/26}AB12|4.50*~")}});
        SKIP_WITHOUT_SERVER(server);
        TUpdateForm form(job_);
        QSignalSpy stats(&form, &TUpdateForm::statsClicked);
        start(form, server.hostPort());
        auto* label = control<QLabel>(&form, "Label1");
        QCOMPARE(label->text(), "vitrinex is creating a backup of your collection . . .");
        click(control<TJPEGImage>(&form, "OKJPG"));
        click(control<TJPEGImage>(&form, "StatsJPG"));
        QVERIFY(form.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(
            label->text(), "vitrinex has completed updating your collection. press ok to continue.", 10000);
        QCOMPARE(control<QLabel>(&form, "StatusLBL")->text(), "prices of 12/8/26");
        QCOMPARE(control<QProgressBar>(&form, "ProgressBar1")->value(), 500);
        QCOMPARE(sounds_.names(), QStringList{"v10up.qys"});
        // What changed is offered: nothing here, and the catalog number that matched no item.
        auto* changes = control<QLabel>(&form, "ChangesLBL");
        QVERIFY(changes->isVisible());
        auto* list = control<THistoryListForm>(&form, "ChangesForm");
        QVERIFY(throughModal(
            list, [&] { emit changes->linkActivated("changes"); },
            [&] {
                QCOMPARE(control<QListWidget>(list, "ListBox1")->item(0)->text(), "no match:   AB12");
                click(control<TJPEGImage>(list, "OKJPG"));
            }));
        click(control<TJPEGImage>(&form, "StatsJPG"));
        QCOMPARE(stats.size(), 1);
        QVERIFY(!form.isVisible());
        QCOMPARE(applied_, 1);
    }

    void failureTextsAndTheCloseBox() {
        UpdateServer server(QList<QPair<QString, QByteArray>>{});
        SKIP_WITHOUT_SERVER(server);
        TUpdateForm form(job_);
        QSignalSpy ok(&form, &TUpdateForm::okClicked);
        start(form, server.hostPort());
        QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(&form, "StatusLBL")->text(),
                                  "status:  update file not found . . .", 10000);
        click(control<TJPEGImage>(&form, "OKJPG"));
        QCOMPARE(ok.size(), 1);
        QVERIFY(!form.isVisible());

        // Shown again and closed with its close box while it waits: nothing follows.
        SilentServer silent;
        start(form, silent.hostPort());
        QTRY_COMPARE(control<QLabel>(&form, "StatusLBL")->text(), "status:  requesting update file . . .");
        form.close();
        const QString label = control<QLabel>(&form, "Label1")->text();
        QTest::qWait(3500); // past the time-out
        QCOMPARE(control<QLabel>(&form, "Label1")->text(), label);
        QVERIFY(!job_.isFinished());
        QCOMPARE(applied_, 0);
    }
};

QTEST_MAIN(TestUpdateWindow)
#include "test_updatewindow.moc"
