// The main window's Update command end to end against nginx on loopback: the prompts, the update
// window, the collection file, the backup, the caption, the shown item and the statistics window.
#define QTEST_QPA_MOUSE_HANDLING

#include "forms/MainWindow.h"

#include "collection/OpenCollection.h"
#include "forms/ErrorReport.h"
#include "forms/LastUpdateDialog.h"
#include "forms/MessageDialog.h"
#include "forms/UpdateTypeDialog.h"
#include "forms/UpdateWindow.h"
#include "net/UpdatePrompts.h"
#include "platform/PlatformSound.h"
#include "reports/Backup.h"
#include "sound/Sound.h"

#include "CollectionFixtures.h"
#include "MainWindowControls.h"
#include "UpdateServer.h"
#include <QRadioButton>
#include <QTemporaryDir>

using namespace vitrinex;
using namespace windowtest;

namespace {

const QString kDone = QStringLiteral("vitrinex has completed updating your collection. press ok to continue.");

// Runs `whileOpen` once `dialog` is on screen (inside its modal loop).
void whenShown(QDialog* dialog, const std::function<void()>& whileOpen) {
    auto* poll = new QTimer(dialog);
    QObject::connect(poll, &QTimer::timeout, dialog, [=] {
        if (!dialog->isVisible()) return;
        poll->deleteLater();
        whileOpen();
    });
    poll->start(10);
}

} // namespace

class TestMainWindowUpdate : public QObject {
    Q_OBJECT

    RecordingSoundService sounds_;
    QTemporaryDir programDir_;
    QStringList messages_;
    std::string path_ = QDir::current().filePath("Heroes.fcd").toStdString();

    std::unique_ptr<TMainForm> openMain(const QString& host) {
        OpenCollection c;
        c.CreateCollection(path_, "Heroes", "Kenner", "1985-1990");
        NewItemValues luke = fixtures::item("Luke", "$  12.50", "$   0", 2), vader = fixtures::item("Vader", "$  30.00");
        luke.CatNum = "sp1001";
        vader.CatNum = "SP9";
        c.InsertNewItem(luke);
        c.InsertNewItem(vader);
        c.SaveCollection();
        qputenv("VITRINEX_UPDATE_HOST", host.toLatin1());
        auto main = std::make_unique<TMainForm>();
        main->show();
        main->OpenCollectionFile(QString::fromStdString(path_));
        QTest::qWaitFor([&] { return main->collection().CollectionOpen; });
        control<TUpdateForm>(main.get(), "UpdateForm")->download().setIntervals(3000, 300);
        return main;
    }
    // The Update button, answered in the update-type prompt with `catalog` ("SWRB", "HWRB").
    void updateChoosing(TMainForm* main, const char* catalog) {
        auto* prompt = control<TUpdateTypeForm>(main, "UpdateTypeForm");
        whenShown(prompt, [=] {
            click(control<QRadioButton>(prompt, catalog));
            click(control<TJPEGImage>(prompt, "OKJPG"));
        });
        click(control<TJPEGImage>(main, "UpdateJPG"));
    }

private slots:
    void initTestCase() {
        Sounds::setServiceForTesting(&sounds_);
        TMainForm::setProgramFolderForTesting(programDir_.path());
        setMessageDialogForTesting([this](const QString& title, const QString& text) { messages_ << title + "|" + text; });
        setErrorReportForTesting([this](const QString& message) { messages_ << message; });
    }
    void init() { messages_.clear(); }

    void goodFileUpdatesTheListCaptionFileAndBackup() {
        UpdateServer server({{QStringLiteral("update.auf"), QByteArray("{prices of 12/8/26}SP1001|26.50*~")}});
        SKIP_WITHOUT_SERVER(server);
        auto main = openMain(server.hostPort());
        MainControls ui;
        ui.find(main.get());
        main->SelectItem(0);
        auto* window = control<TUpdateForm>(main.get(), "UpdateForm");
        updateChoosing(main.get(), "SWRB");
        QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(window, "Label1")->text(), kDone, 10000);
        QCOMPARE(control<QLabel>(window, "StatusLBL")->text(), "prices of 12/8/26");
        QCOMPARE(main->windowTitle(), "Vitrinex 1.4 - Heroes:  $83");
        click(control<TJPEGImage>(window, "OKJPG"));
        QVERIFY(!window->isVisible());
        QCOMPARE(ui.PriceLBL->text(), "$26.50");
        QCOMPARE(ui.NetChangeLBL->text(), "$14");

        OpenCollection file, backup;
        file.LoadCollection(path_);
        backup.LoadCollection(BackupFileName(path_));
        QCOMPARE(file.FindItem("Luke")->Record.Price.str(), std::string("$26.50"));
        QCOMPARE(file.UpdateType, std::string("SW"));
        QCOMPARE(file.LastUpdate, net::shortDateText(QDate::currentDate()));
        QCOMPARE(backup.FindItem("Luke")->Record.Price.str(), std::string("$  12.50"));

        // Now the collection follows a catalog: the last-update prompt asks, and stats shows the count.
        auto* question = control<TLastUpdateForm>(main.get(), "LastUpdateForm");
        QString asked;
        whenShown(question, [&] {
            asked = control<QLabel>(question, "Label1")->text();
            click(control<TJPEGImage>(question, "OKJPG"));
        });
        ui.updatecollection1->trigger();
        QCOMPARE(asked, "Heroes was last updated on " + QString::fromStdString(file.LastUpdate) +
                            ". Would you like to continue?");
        QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(window, "Label1")->text(), kDone, 10000);
        click(control<TJPEGImage>(window, "StatsJPG"));
        QVERIFY(ui.StatsForm->isVisible());
        QCOMPARE(control<QLabel>(ui.StatsForm, "UpdatedFigsLBL")->text(), "0/2");
        QCOMPARE(messages_, QStringList{});
    }

    void failuresLeaveTheCollectionAsItWas() {
        QByteArray before;
        std::unique_ptr<TMainForm> main;
        auto status = [&] { return control<QLabel>(control<TUpdateForm>(main.get(), "UpdateForm"), "StatusLBL"); };
        {
            UpdateServer server({{QStringLiteral("update.auf"), QByteArray("SP1001|26.50*~")}});
            SKIP_WITHOUT_SERVER(server);
            main = openMain(server.hostPort());
            before = fixtures::readBytes(path_);
            updateChoosing(main.get(), "HWRB"); // hwupdate.auf is missing
            QTRY_COMPARE_WITH_TIMEOUT(status()->text(), "status:  update file not found . . .", 10000);
            QCOMPARE(fixtures::readBytes(path_), before);
        }
        // The collection closed while the update runs: the prices go nowhere.
        UpdateServer server({{QStringLiteral("hwupdate.auf"), QByteArray("SP1001|26.50*~")}});
        SKIP_WITHOUT_SERVER(server);
        auto* window = control<TUpdateForm>(main.get(), "UpdateForm");
        window->download().UpdateHost = server.hostPort().toStdString();
        window->download().setIntervals(3000, 1000);
        whenShown(control<TLastUpdateForm>(main.get(), "LastUpdateForm"), [&] {
            click(control<TJPEGImage>(control<TLastUpdateForm>(main.get(), "LastUpdateForm"), "OKJPG"));
        });
        control<QAction>(main.get(), "updatecollection1")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(status()->text(), "status:  update file transfered . . .", 10000);
        control<QAction>(main.get(), "closecollection1")->trigger();
        before = fixtures::readBytes(path_);
        QTRY_VERIFY_WITH_TIMEOUT(window->download().Finished, 5000);
        QCOMPARE(messages_, QStringList{"update not applied|the collection the update was started for is no longer open."});
        QCOMPARE(fixtures::readBytes(path_), before);
    }
};

QTEST_MAIN(TestMainWindowUpdate)
#include "test_mainwindow_update.moc"
