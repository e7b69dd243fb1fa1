// At a zoom of 200 %: every control inside its window, the skin's pictures at 2x, the help on the screen.

#include "controls/PictureControl.h"
#include "forms/MainWindow.h"
#include "forms/SettingsFile.h"
#include "platform/HelpViewer.h"
#include <QApplication>
#include <QScreen>
#include <QtTest>

class TestZoom : public QObject {
    Q_OBJECT

private slots:
    void everyWindowScalesWhole() {
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        TMainForm main(nullptr, QDir::currentPath());
        main.show();
        QVERIFY(vitrinex::showHelpContents(QStringLiteral(VITRINEX_HELP_FILE)));
        int pictures = 0;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->windowType() == Qt::Popup) continue; // menus and choice lists size to their items
            for (QWidget* control : window->findChildren<QWidget*>()) {
                if (control->window() != window || !control->isVisibleTo(window)) continue;
                QVERIFY2(window->rect().contains(QRect(control->mapTo(window, QPoint()), control->size())),
                         qPrintable(window->objectName() + "/" + control->objectName()));
                auto* picture = qobject_cast<TJPEGImage*>(control);
                if (picture && !picture->picture().isNull())
                    pictures += picture->picture().devicePixelRatio() == 2.0 ? 1 : -1000;
            }
        }
        QVERIFY(pictures > 10);
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(
            vitrinex::helpWindow()->geometry()));
    }
};

int main(int argc, char** argv) {
    qputenv("XDG_CONFIG_HOME", QDir::currentPath().toLocal8Bit()); // the test's own folder
    vitrinex::writeZoomSetting(vitrinex::zoomSettingPath(), 200);  // as main.cpp reads it
    vitrinex::applyZoomBeforeStart(vitrinex::readZoomSetting(vitrinex::zoomSettingPath()));
    QApplication app(argc, argv);
    TestZoom test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_zoom.moc"
