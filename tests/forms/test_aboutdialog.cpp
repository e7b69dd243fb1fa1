// Route simulated mouse events through the window, as real ones are: the pressed widget keeps the mouse.
#define QTEST_QPA_MOUSE_HANDLING

#include "forms/AboutDialog.h"

#include "controls/PictureControl.h"
#include "sound/Sound.h"

#include "RecordingSoundService.h"
#include "WindowTestSupport.h"
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace windowtest;

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void layoutKeepsEverythingVisible();
    void okClosesSilentlyOtherButtonsDoNot();
    void showingAndActivationRestoreButton();

private:
    vitrinex::RecordingSoundService sounds_;
};

void TestAbout::initTestCase() {
    vitrinex::Sounds::setServiceForTesting(&sounds_);
    vitrinex::Sounds::bindSwitch([] { return true; });
}

void TestAbout::layoutKeepsEverythingVisible() {
    TAboutForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("about..."));
    QVERIFY(!form.findChild<TJPEGImage*>("AboutBgJPG")->picture().isNull());
    QCOMPARE(control<TJPEGImage>(&form, "LogoJPG")->geometry(), QRect(18, 14, 265, 104));
    QVERIFY(!control<TJPEGImage>(&form, "LogoJPG")->picture().isNull());
    QCOMPARE(control<TJPEGImage>(&form, "OKJPG")->toolTip(), QStringLiteral("click to close window"));
    // The wording line sits inside the window and covers neither the picture nor the button.
    auto* label = form.findChild<QLabel*>("Label2");
    QVERIFY(label && !label->text().isEmpty());
    QVERIFY(form.rect().contains(label->geometry()));
    QVERIFY(!label->geometry().intersects(control<TJPEGImage>(&form, "LogoJPG")->geometry()));
    QVERIFY(!label->geometry().intersects(control<TJPEGImage>(&form, "OKJPG")->geometry()));
}

void TestAbout::okClosesSilentlyOtherButtonsDoNot() {
    TAboutForm form;
    bool openAfterOthers = false;
    QVERIFY(runModal(form, [&] {
        click(control<TJPEGImage>(&form, "OKJPG"), Qt::RightButton);
        click(control<TJPEGImage>(&form, "OKJPG"), Qt::MiddleButton);
        click(control<TJPEGImage>(&form, "LogoJPG"));
        openAfterOthers = form.isVisible();
        click(control<TJPEGImage>(&form, "OKJPG"));
    }));
    QVERIFY(openAfterOthers);
    QVERIFY(!form.isVisible());
    QVERIFY2(sounds_.names().isEmpty(), qPrintable(sounds_.names().join(',')));

    // Created once and shown again: the second showing works the same.
    bool openAgain = false;
    QVERIFY(runModal(form, [&] {
        openAgain = form.isVisible();
        click(control<TJPEGImage>(&form, "OKJPG"));
    }));
    QVERIFY(openAgain);
    QVERIFY(!form.isVisible());
}

void TestAbout::showingAndActivationRestoreButton() {
    TAboutForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    // The pointer over OK lights it; leaving the window with the look still painted and OK displaced,
    // the next showing puts it back in its place with its own picture.
    QTest::mouseMove(control<TJPEGImage>(&form, "OKJPG"), QPoint(10, 10));
    QVERIFY(form.pictureButtons().isHighlighted(control<TJPEGImage>(&form, "OKJPG")));
    QVERIFY(control<TJPEGImage>(&form, "OKJPG")->hasLook());
    form.hide();
    control<TJPEGImage>(&form, "OKJPG")->move(0, 0);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(control<TJPEGImage>(&form, "OKJPG")->pos(), QPoint(113, 128));
    QVERIFY(!control<TJPEGImage>(&form, "OKJPG")->hasLook());

    // Activation does the same while the window stays on screen.
    QTest::mouseMove(control<TJPEGImage>(&form, "LogoJPG"), QPoint(5, 5));
    QTest::mouseMove(control<TJPEGImage>(&form, "OKJPG"), QPoint(12, 12));
    QVERIFY(control<TJPEGImage>(&form, "OKJPG")->hasLook());
    control<TJPEGImage>(&form, "OKJPG")->move(200, 10);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&form, &activate);
    QCOMPARE(control<TJPEGImage>(&form, "OKJPG")->pos(), QPoint(113, 128));
    QVERIFY(!control<TJPEGImage>(&form, "OKJPG")->hasLook());
    // The mark stays: moving inside the button paints nothing new until the pointer leaves.
    QVERIFY(form.pictureButtons().isHighlighted(control<TJPEGImage>(&form, "OKJPG")));

    // The background takes the highlight away.
    QTest::mouseMove(control<TJPEGImage>(&form, "OKJPG"), QPoint(14, 14));
    QTest::mouseMove(form.findChild<TJPEGImage*>("AboutBgJPG"), QPoint(5, 170));
    QVERIFY(!form.pictureButtons().isHighlighted(control<TJPEGImage>(&form, "OKJPG")));
    QVERIFY(!control<TJPEGImage>(&form, "OKJPG")->hasLook());
    form.hide();
}

QTEST_MAIN(TestAbout)
#include "test_aboutdialog.moc"
