// The main window's Update command end to end against a loopback HTTP server.
#define QTEST_QPA_MOUSE_HANDLING

#include "collection/UpdatePrompts.h"
#include "forms/ErrorReport.h"
#include "forms/LastUpdateDialog.h"
#include "forms/MessageDialog.h"
#include "forms/UpdateTypeDialog.h"
#include "forms/UpdateWindow.h"
#include "reports/Backup.h"
#include "sound/Sound.h"

#include "CollectionFixtures.h"
#include "MainWindowControls.h"
#include "RecordingSoundService.h"
#include "UpdateServer.h"
#include <QRadioButton>
#include <QTemporaryDir>

using namespace vitrinex::testing;

using namespace vitrinex;
using namespace windowtest;

class TestMainWindowUpdate : public QObject {
    Q_OBJECT
    vitrinex::RecordingSoundService sounds_;
    QTemporaryDir programDir_;
    QStringList messages_;

    // Starts the update from `trigger`; `answer` runs once `prompt` is on screen.
    static void update(QDialog* prompt, const std::function<void()>& answer,
                       const std::function<void()>& trigger) {
        auto* poll = new QTimer(prompt);
        QObject::connect(poll, &QTimer::timeout, prompt, [=] {
            if (prompt->isVisible()) answer(), poll->deleteLater();
        });
        poll->start(10);
        trigger();
    }

private slots:
    void updateCommandEndToEnd() {
        Sounds::setServiceForTesting(&sounds_);
        setShownMessagesForTesting(
            {[this](const QString& title, const QString& text) { messages_ << title + "|" + text; },
             [this](const QString& message) { messages_ << message; }});
        const std::string path = QDir::current().filePath("Heroes.fcd").toStdString();
        OpenCollection c;
        c.CreateCollection(path, "Heroes", "Kenner", "1985-1990");
        NewItemValues luke = fixtures::item("Luke", "$  12.50", "$   0", 2),
                      vader = fixtures::item("Vader", "$  30.00");
        luke.CatNum = "sp1001";
        c.InsertNewItem(luke);
        c.InsertNewItem(vader);
        c.SaveCollection();

        auto server = std::make_unique<UpdateServer>(
            QList<QPair<QString, QByteArray>>{{"update.auf", "{prices of 12/8/26}SP1001|26.50*~"}});
        SKIP_WITHOUT_SERVER(*server);
        qputenv("VITRINEX_UPDATE_HOST", server->hostPort().toLatin1());
        TMainForm main(nullptr, programDir_.path());
        main.show();
        main.OpenCollectionFile(QString::fromStdString(path));
        QTRY_VERIFY(main.collection().isOpen());
        MainControls ui;
        ui.find(&main);
        auto* window = control<TUpdateForm>(&main, "UpdateForm");
        auto* status = control<QLabel>(window, "StatusLBL");
        window->job().setIntervals(3000, 500);
        main.SelectItem(0);

        // No catalog yet: the type prompt. The stats button, then the statistics' OK, shows the new price.
        auto* type = control<TUpdateTypeForm>(&main, "UpdateTypeForm");
        update(
            type,
            [&] { click(control<QRadioButton>(type, "SWRB")), click(control<TJPEGImage>(type, "OKJPG")); },
            [&] { click(ui.UpdateJPG); });
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), "prices of 12/8/26", 10000);
        QCOMPARE(main.windowTitle(), "Vitrinex 1.4 - Heroes:  $83");
        click(control<TJPEGImage>(window, "StatsJPG"));
        QCOMPARE(control<QLabel>(ui.StatsForm, "UpdatedFigsLBL")->text(), "1/2");
        click(control<TJPEGImage>(ui.StatsForm, "OKJPG"));
        QCOMPARE(ui.PriceLBL->text() + " " + ui.NetChangeLBL->text(), "$26.50 $14");
        OpenCollection file, backup;
        file.LoadCollection(path);
        backup.LoadCollection(BackupFileName(path));
        QCOMPARE(file.FindItem("Luke")->Record.Price.str() + file.header().UpdateType,
                 std::string("$26.50SW"));
        QCOMPARE(file.header().LastUpdate, shortDateText(QDate::currentDate()));
        QCOMPARE(backup.FindItem("Luke")->Record.Price.str(), std::string("$  12.50"));

        // Closed and opened again while the update runs: the prices go to no collection.
        auto* question = control<TLastUpdateForm>(&main, "LastUpdateForm");
        update(
            question, [&] { click(control<TJPEGImage>(question, "OKJPG")); },
            [&] { ui.updatecollection1->trigger(); });
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), "status:  update file transfered . . .", 10000);
        ui.closecollection1->trigger();
        main.OpenCollectionFile(QString::fromStdString(path));
        QVERIFY(main.collection().isOpen());
        QByteArray before = fixtures::readBytes(path);
        QTRY_COMPARE(status->text(), "status:  update not applied . . .");
        QCOMPARE(
            messages_,
            QStringList{"update not applied|the collection the update was started for is no longer open."});
        QCOMPARE(fixtures::readBytes(path), before);

        // A server without the file: nothing changes.
        server = std::make_unique<UpdateServer>(QList<QPair<QString, QByteArray>>{});
        window->job().setHost(server->hostPort().toStdString());
        before = fixtures::readBytes(path);
        update(
            question, [&] { click(control<TJPEGImage>(question, "OKJPG")); }, [&] { click(ui.UpdateJPG); });
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), "status:  update file not found . . .", 10000);
        QCOMPARE(fixtures::readBytes(path), before);
    }
};

QTEST_MAIN(TestMainWindowUpdate)
#include "test_mainwindow_update.moc"
