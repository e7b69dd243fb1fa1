#include "app/Startup.h"

#include "forms/AboutDialog.h"
#include "forms/CollectionInfoDialog.h"
#include "forms/ExitDialog.h"
#include "forms/MainWindow.h"
#include "forms/MessageDialog.h"
#include "forms/SkinnedWindow.h"
#include "forms/SplashWindow.h"
#include "forms/StatisticsWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QImageReader>

namespace vitrinex {

QIcon loadApplicationIcon() {
    // The icon file is looked for in the current directory, beside the sounds. Without it the
    // program still starts, with the mark built into it.
    QImageReader reader(QString::fromLatin1(kIconFileName));
    QIcon icon;
    if (QFileInfo::exists(QString::fromLatin1(kIconFileName))) {
        for (int i = 0; i < reader.imageCount() || i == 0; ++i) {
            if (i > 0 && !reader.jumpToImage(i)) break;
            const QImage image = reader.read();
            if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
        }
    }
    if (icon.isNull())
        icon = QIcon(QPixmap::fromImage(
            skinPicture(QStringLiteral("splashbg14.jpg"))
                .scaled(32, 32, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)));
    return icon;
}

bool displayAvailable() {
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
           qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

void createWindows() {
    auto* splash = new TSplashForm();
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    auto* main = new TMainForm();
    main->setEnabled(false);
    splash->setMainWindow(main);
    new TAboutForm(main);
    new TExitForm(main);
    new TNewUForm(main);
    new TStatsForm();
    new TError1Form(main);
}

void showMainWindow() {
    if (MainForm) MainForm->show();
}

void destroyWindows() {
    delete StatsForm;
    delete SplashForm;
    delete MainForm; // its dialogs are its children
}

} // namespace vitrinex
