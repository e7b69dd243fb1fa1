#include "app/Startup.h"

#include "forms/MainWindow.h"
#include "forms/SkinnedWindow.h"
#include "forms/SplashWindow.h"
#include "platform/FilePlaces.h"

#include <QApplication>
#include <QFileInfo>
#include <QImageReader>

namespace vitrinex {

QIcon loadApplicationIcon() {
    // The icon file is looked for in the current directory, beside the sounds. Without it the
    // program still starts, with the mark built into it.
    const QString path = filePlaces().dataPath(QString::fromLatin1(kIconFileName));
    QImageReader reader(path);
    QIcon icon;
    if (QFileInfo::exists(path)) {
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

ProgramWindows::ProgramWindows(const QString& programFolder) : splash_(std::make_unique<TSplashForm>()) {
    splash_->show();
    splash_->repaint();
    QApplication::processEvents();

    main_ = std::make_unique<TMainForm>(nullptr, programFolder);
    main_->setEnabled(false);
    splash_->setMainWindow(main_.get());
    QObject::connect(main_.get(), &TMainForm::shown, splash_.get(), &QWidget::close);
}

ProgramWindows::~ProgramWindows() {
    splash_.reset();
    main_.reset(); // its dialogs and windows go with it
}

void ProgramWindows::showMainWindow() {
    main_->show();
}

} // namespace vitrinex
