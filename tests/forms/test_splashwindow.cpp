#include "controls/PictureControl.h"
#include "forms/SplashWindow.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// Counts how often a widget goes from disabled to enabled.
class EnableCounter : public QObject {
public:
    explicit EnableCounter(QWidget* w) : widget(w) { w->installEventFilter(this); }
    QWidget* widget;
    int enabled = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget && event->type() == QEvent::EnabledChange && widget->isEnabled()) ++enabled;
        return false;
    }
};

// Far shorter than the program's second, so that the timing tests run quickly.
constexpr int kDelay = 150;

QTimer* timerOf(TSplashForm& splash) {
    return splash.findChild<QTimer*>(QStringLiteral("Timer1"));
}

} // namespace

class TestSplash : public QObject {
    Q_OBJECT

private slots:
    void windowLooksAsDesigned() {
        auto owned = std::make_unique<TSplashForm>();
        TSplashForm& splash = *owned;
        QCOMPARE(splash.windowTitle(), QString("vitrinex 1.4"));
        QCOMPARE(splash.size(), QSize(300, 214));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.palette().color(QPalette::Window), QColor(Qt::black));

        auto* picture = splash.findChild<TJPEGImage*>(QStringLiteral("JPEGImage1"));
        QVERIFY(picture);
        QCOMPARE(picture->geometry(), QRect(0, 0, 300, 214));
        QCOMPARE(picture->picture().size(), QSize(300, 214));
        QCOMPARE(picture->fileName(), QString("splashbg14.jpg"));

        QTimer* timer = timerOf(splash);
        QVERIFY(timer);
        QCOMPARE(timer->interval(), 1000);
        QVERIFY(timer->isActive());

        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        const QRect area = splash.screen()->availableGeometry();
        const QPoint offset = splash.frameGeometry().center() - area.center();
        QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1, "not centred on the screen");
        splash.close();
        QVERIFY(!splash.isVisible());
    }

    void timerEnablesMainWindowOnceAfterItsDelay() {
        QWidget main;
        main.setEnabled(false);
        EnableCounter counter(&main);
        QElapsedTimer clock;
        clock.start();
        TSplashForm splash(&main, kDelay);
        splash.show();

        QTest::qWait(kDelay / 2);
        QVERIFY(!main.isEnabled());
        QVERIFY(!splash.timerFired());

        QTRY_VERIFY_WITH_TIMEOUT(main.isEnabled(), 5000);
        QVERIFY2(clock.elapsed() >= kDelay - 5, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(splash.timerFired());
        QVERIFY(!timerOf(splash)->isActive());
        QCOMPARE(counter.enabled, 1);

        // It does not fire again: a window disabled afterwards stays so.
        main.setEnabled(false);
        QTest::qWait(3 * kDelay);
        QVERIFY(!main.isEnabled());
        QCOMPARE(counter.enabled, 1);
    }

    void timerKeepsRunningWhileSplashIsClosed() {
        // The main window closes the splash when it is shown, possibly before the second is up.
        QWidget main;
        main.setEnabled(false);
        TSplashForm splash(&main, kDelay);
        splash.show();
        splash.close();
        QVERIFY(!main.isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(main.isEnabled(), 5000);
    }

    void mainWindowGivenLater() {
        TSplashForm splash(nullptr, kDelay);
        QWidget early;
        early.setEnabled(false);
        splash.setMainWindow(&early);
        QCOMPARE(splash.mainWindow(), &early);
        QVERIFY(!early.isEnabled()); // not before the timer

        QTRY_VERIFY_WITH_TIMEOUT(splash.timerFired(), 5000);
        QVERIFY(early.isEnabled());

        // Given after the timer fired: input at once.
        QWidget late;
        late.setEnabled(false);
        splash.setMainWindow(&late);
        QVERIFY(late.isEnabled());
    }

    void mainWindowGoneBeforeTimer() {
        TSplashForm splash(nullptr, kDelay);
        {
            QWidget main;
            main.setEnabled(false);
            splash.setMainWindow(&main);
        }
        QCOMPARE(splash.mainWindow(), nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(splash.timerFired(), 5000); // and nothing crashed
        QVERIFY(!timerOf(splash)->isActive());
    }

    void splashDestroyedEarlyStillGivesInput() {
        QWidget main;
        main.setEnabled(false);
        {
            TSplashForm splash(&main);
            QVERIFY(!main.isEnabled());
        }
        QVERIFY(main.isEnabled());
    }
};

QTEST_MAIN(TestSplash)
#include "test_splashwindow.moc"
