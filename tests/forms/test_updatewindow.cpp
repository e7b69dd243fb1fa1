// The update window against a loopback HTTP server: its texts follow the download, OK and stats act only
// once it has stopped, and its close box ends a download for good.
#define QTEST_QPA_MOUSE_HANDLING

#include "forms/UpdateWindow.h"

#include "controls/PictureControl.h"
#include "platform/PlatformSound.h"
#include "sound/Sound.h"

#include "UpdateServer.h"
#include "WindowTestSupport.h"
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QtTest>

using namespace windowtest;

class TestUpdateWindow : public QObject {
    Q_OBJECT

    vitrinex::RecordingSoundService sounds_;
    int applied_ = 0;

    void prepare(TUpdateForm& form, const QString& host) {
        auto& d = form.download();
        d.UpdateType = "SW";
        d.UpdateHost = host.toStdString();
        d.setIntervals(3000, 10);
        d.writeBackup = [](const std::function<void(int)>& advance) { advance(250); };
        d.applyUpdate = [this, &d](const std::function<void(int)>&) {
            ++applied_;
            d.setLabel1("vitrinex has completed updating your collection. press ok to continue.");
            d.setStatus(d.UpdateMessage());
            d.setFinished(true);
            return true;
        };
    }

private slots:
    void initTestCase() {
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
        TUpdateForm form;
        prepare(form, server.hostPort());
        QSignalSpy stats(&form, &TUpdateForm::statsClicked);
        form.show();
        auto* label = control<QLabel>(&form, "Label1");
        QCOMPARE(label->text(), "vitrinex is creating a backup of your collection . . .");
        click(control<TJPEGImage>(&form, "OKJPG"));
        click(control<TJPEGImage>(&form, "StatsJPG"));
        QVERIFY(form.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), "vitrinex has completed updating your collection. press ok to continue.",
                                  10000);
        QCOMPARE(control<QLabel>(&form, "StatusLBL")->text(), "prices of 12/8/26");
        QCOMPARE(control<QProgressBar>(&form, "ProgressBar1")->value(), 500);
        QCOMPARE(sounds_.names(), QStringList{"v10up.qys"});
        click(control<TJPEGImage>(&form, "StatsJPG"));
        QCOMPARE(stats.size(), 1);
        QVERIFY(!form.isVisible());
        QCOMPARE(applied_, 1);
    }

    void failureTextsAndTheCloseBox() {
        UpdateServer server(QList<QPair<QString, QByteArray>>{});
        SKIP_WITHOUT_SERVER(server);
        TUpdateForm form;
        prepare(form, server.hostPort());
        QSignalSpy ok(&form, &TUpdateForm::okClicked);
        form.show();
        QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(&form, "StatusLBL")->text(), "status:  update file not found . . .",
                                  10000);
        click(control<TJPEGImage>(&form, "OKJPG"));
        QCOMPARE(ok.size(), 1);
        QVERIFY(!form.isVisible());

        // Shown again and closed with its close box while it waits: nothing follows.
        SilentServer silent;
        prepare(form, silent.hostPort());
        form.show();
        QTRY_VERIFY(form.download().Phase == 2);
        form.close();
        const QString label = control<QLabel>(&form, "Label1")->text();
        QTest::qWait(3500); // past the time-out
        QCOMPARE(control<QLabel>(&form, "Label1")->text(), label);
        QVERIFY(!form.download().Finished);
        QCOMPARE(applied_, 0);
    }
};

QTEST_MAIN(TestUpdateWindow)
#include "test_updatewindow.moc"
