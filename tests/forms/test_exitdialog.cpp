// Route simulated mouse events through the window, as real ones are: the pressed widget keeps the mouse.
#define QTEST_QPA_MOUSE_HANDLING

#include "forms/ExitDialog.h"

#include "controls/PictureControl.h"
#include "forms/ErrorReport.h"
#include "sound/Sound.h"

#include "RecordingSoundService.h"
#include "WindowTestSupport.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace windowtest;

class TestExitForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void layoutAndHints();
    void exitWritesSettingHereAndConfirms_data();
    void exitWritesSettingHereAndConfirms();
    void cancelCloseBoxAndOtherButtonsWriteNothing_data();
    void cancelCloseBoxAndOtherButtonsWriteNothing();
    void writeFailureIsReportedAndExitGoesOn();
    void endRequestWaitsForOpenModalWindow();

private:
    vitrinex::RecordingSoundService sounds_;
    bool soundsOn_ = true;
    QStringList reports_;
    QTemporaryDir dir_;
    QString startDir_;
};

void TestExitForm::initTestCase() {
    QVERIFY(dir_.isValid());
    startDir_ = QDir::currentPath();
    vitrinex::Sounds::setServiceForTesting(&sounds_);
    vitrinex::Sounds::bindSwitch([this] { return soundsOn_; });
    vitrinex::setShownMessagesForTesting({{}, [this](const QString& m) { reports_ << m; }});
}

void TestExitForm::init() {
    // Each case writes into a folder of its own, made the current directory.
    const QString here = dir_.filePath(QTest::currentTestFunction() + QString(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(here));
    QVERIFY(QDir::setCurrent(here));
    sounds_.clear();
    reports_.clear();
    soundsOn_ = true;
}

void TestExitForm::cleanup() {
    QDir::setCurrent(startDir_);
}

void TestExitForm::layoutAndHints() {
    TExitForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("exit?"));
    QCOMPARE(form.findChild<QLabel*>("Label1")->text(), QStringLiteral("are you sure you want to exit?"));
    QCOMPARE(form.findChild<TJPEGImage*>("ExitJPG")->toolTip(), QStringLiteral("click to exit vitrinex"));
    QCOMPARE(form.findChild<TJPEGImage*>("CancelJPG")->toolTip(), QStringLiteral("click to close window"));
    // Both are picture buttons of the window: the pointer lights one and unlights the other.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseMove(control<TJPEGImage>(&form, "ExitJPG"), QPoint(5, 5));
    QTest::mouseMove(control<TJPEGImage>(&form, "CancelJPG"), QPoint(5, 5));
    QVERIFY(form.pictureButtons().isHighlighted(control<TJPEGImage>(&form, "CancelJPG")));
    QVERIFY(!form.pictureButtons().isHighlighted(control<TJPEGImage>(&form, "ExitJPG")));
}

void TestExitForm::exitWritesSettingHereAndConfirms_data() {
    QTest::addColumn<bool>("soundsOn");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("sounds on") << true << QByteArray("1\r\n");
    QTest::newRow("sounds off") << false << QByteArray("0\r\n");
}

void TestExitForm::exitWritesSettingHereAndConfirms() {
    QFETCH(bool, soundsOn);
    QFETCH(QByteArray, line);
    soundsOn_ = soundsOn;
    // An old file with the other value is replaced, not appended to.
    {
        QFile old("Vitrinex.ini");
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(soundsOn ? "0\r\n" : "1\r\nmore\r\n");
    }

    TExitForm form;
    bool wasOpen = false;
    QVERIFY(runModal(form, [&] {
        wasOpen = form.isVisible();
        click(control<TJPEGImage>(&form, "ExitJPG"));
    }));
    QVERIFY(wasOpen);
    QVERIFY(!form.isVisible());
    QVERIFY(form.ExitConfirmed());
    QCOMPARE(readAll(QDir::current().filePath("Vitrinex.ini")), line);
    QVERIFY2(reports_.isEmpty(), qPrintable(reports_.join('\n')));
    QVERIFY2(sounds_.names().isEmpty(), qPrintable(sounds_.names().join(',')));

    // The confirmation belongs to one showing: cancelling the next one takes it back.
    QVERIFY(runModal(form, [&] { click(control<TJPEGImage>(&form, "CancelJPG")); }));
    QVERIFY(!form.ExitConfirmed());
}

void TestExitForm::cancelCloseBoxAndOtherButtonsWriteNothing_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("cancel") << 0;
    QTest::newRow("close box") << 1;
    QTest::newRow("escape") << 2;
    QTest::newRow("right button on exit, then cancel") << 3;
}

void TestExitForm::cancelCloseBoxAndOtherButtonsWriteNothing() {
    QFETCH(int, way);
    TExitForm form;
    bool openAfterOtherButtons = false;
    QVERIFY(runModal(form, [&] {
        switch (way) {
        case 0:
            click(control<TJPEGImage>(&form, "CancelJPG"));
            break;
        case 1:
            form.close();
            break;
        case 2:
            QTest::keyClick(&form, Qt::Key_Escape);
            break;
        default:
            click(control<TJPEGImage>(&form, "ExitJPG"), Qt::RightButton);
            click(control<TJPEGImage>(&form, "ExitJPG"), Qt::MiddleButton);
            QTest::keyClick(&form, Qt::Key_Return);
            openAfterOtherButtons = form.isVisible();
            click(control<TJPEGImage>(&form, "CancelJPG"));
        }
    }));
    QVERIFY(!form.isVisible());
    QVERIFY(!form.ExitConfirmed());
    QVERIFY(!QFile::exists("Vitrinex.ini"));
    if (way == 3) QVERIFY(openAfterOtherButtons);
    QVERIFY(sounds_.names().isEmpty());
}

void TestExitForm::writeFailureIsReportedAndExitGoesOn() {
    // A folder where the file should be: no write can succeed, whoever runs the test.
    QVERIFY(QDir().mkdir("Vitrinex.ini"));
    TExitForm form;
    QVERIFY(runModal(form, [&] { click(control<TJPEGImage>(&form, "ExitJPG")); }));
    QVERIFY(!form.isVisible());
    QCOMPARE(reports_.size(), 1);
    QVERIFY2(!reports_.first().isEmpty(), "the report says nothing");
    QVERIFY(form.ExitConfirmed());
    QVERIFY(QFileInfo("Vitrinex.ini").isDir());
}

void TestExitForm::endRequestWaitsForOpenModalWindow() {
    // As in the program: the main loop runs, the dialog runs its own loop inside it, and after Exit the
    // caller may still show a modal window (a failed save's report). The end must wait for that window
    // instead of cutting it short, then end the main loop.
    QGuiApplication::setQuitOnLastWindowClosed(false); // only the end request may stop the loop
    TExitForm form;
    bool reportClosedItself = false, reportCutShort = false, failSafe = false, mainLoopEnded = false;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, &form, [&] { click(control<TJPEGImage>(&form, "ExitJPG")); });
        form.exec();
        QDialog report;
        QTimer::singleShot(300, &report, [&] {
            reportClosedItself = true;
            report.accept();
        });
        report.exec();
        reportCutShort = !reportClosedItself;
    });
    QTimer::singleShot(5000, [&] {
        failSafe = true;
        QCoreApplication::exit(7);
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [&] { mainLoopEnded = true; });
    const int rc = QApplication::exec();
    QGuiApplication::setQuitOnLastWindowClosed(true);
    QVERIFY(form.ExitConfirmed());
    QVERIFY2(!failSafe, "the end request never took effect");
    QCOMPARE(rc, 0);
    QVERIFY(mainLoopEnded);
    QVERIFY(reportClosedItself);
    QVERIFY(!reportCutShort);
    QCOMPARE(readAll("Vitrinex.ini"), QByteArray("1\r\n"));
}

QTEST_MAIN(TestExitForm)
#include "test_exitdialog.moc"
