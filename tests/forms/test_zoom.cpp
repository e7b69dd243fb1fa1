// The windows at a zoom of 200 %, as the program starts with it: every control inside its window, the
// skin's pictures at twice their pixels, and the help window on the screen.

#include "controls/PictureControl.h"
#include "forms/MainWindow.h"
#include "forms/SettingsFile.h"
#include "platform/HelpViewer.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

class TestZoom : public QObject {
    Q_OBJECT

private slots:
    void everyWindowScalesWhole();
};

void TestZoom::everyWindowScalesWhole() {
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
    QTemporaryDir programDir;
    TMainForm main(nullptr, programDir.path());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QVERIFY(vitrinex::showHelpContents(QStringLiteral(VITRINEX_HELP_FILE)));

    int pictures = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->windowType() == Qt::Popup) continue; // menus and lists of choices size to their items
        const QRect room = window->rect();
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (control->window() != window || !control->isVisibleTo(window)) continue;
            const QRect place(control->mapTo(window, QPoint(0, 0)), control->size());
            QVERIFY2(room.contains(place),
                     qPrintable(QString("%1 %2/%3 %4")
                                    .arg(window->metaObject()->className(), window->objectName(),
                                         control->metaObject()->className(), control->objectName())));
            if (auto* picture = qobject_cast<TJPEGImage*>(control); picture && !picture->picture().isNull()) {
                QCOMPARE(picture->picture().devicePixelRatio(), 2.0);
                ++pictures;
            }
        }
    }
    QVERIFY(pictures > 10);
    // A 200 % screen has half its pixels as points: the help window keeps within them.
    QVERIFY(vitrinex::helpWindow());
    QVERIFY(
        QGuiApplication::primaryScreen()->availableGeometry().contains(vitrinex::helpWindow()->geometry()));
}

int main(int argc, char** argv) {
    vitrinex::applyZoomBeforeStart(200);
    QApplication app(argc, argv);
    TestZoom test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_zoom.moc"
