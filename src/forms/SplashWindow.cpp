#include "forms/SplashWindow.h"

#include "Version.h"

#include "controls/PictureControl.h"
#include "forms/SkinnedWindow.h"

#include <QTimer>

using namespace vitrinex;

TSplashForm::TSplashForm(QWidget* mainWindow, int inputDelayMs) : QWidget(nullptr), mainWindow_(mainWindow) {
    setUpSkinnedWindow(this, QStringLiteral("SplashForm"), QString::fromLatin1(kApplicationTitle).toLower(),
                       QSize(300, 214));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    JPEGImage1 = addBackground(this, QStringLiteral("JPEGImage1"), QStringLiteral("splashbg14.jpg"));
    centerOnScreen(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(inputDelayMs);
    connect(Timer1, &QTimer::timeout, this, &TSplashForm::Timer1Timer);
    Timer1->start();
}

TSplashForm::~TSplashForm() {
    // Going before the timer fired must not leave the main window without input for good.
    if (!fired_) enableMainWindow();
}

void TSplashForm::setMainWindow(QWidget* mainWindow) {
    mainWindow_ = mainWindow;
    if (fired_) enableMainWindow();
}

void TSplashForm::Timer1Timer() {
    Timer1->stop();
    fired_ = true;
    enableMainWindow();
}

void TSplashForm::enableMainWindow() {
    if (mainWindow_) mainWindow_->setEnabled(true);
}
