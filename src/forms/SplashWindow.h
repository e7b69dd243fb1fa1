#pragma once
// TSplashForm, the splash window: shown while the program creates its windows. Its timer gives the main
// window, created with input disabled, its input after a second; the main window closes the splash when it is
// shown.

#include <QPointer>
#include <QWidget>

class QTimer;
class TJPEGImage;

class TSplashForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kInputDelayMs = 1000;

    // `mainWindow` is the window the timer enables; it may also be given later with setMainWindow.
    // Tests give a shorter `inputDelayMs`.
    explicit TSplashForm(QWidget* mainWindow = nullptr, int inputDelayMs = kInputDelayMs);
    ~TSplashForm() override;

    // When the timer has already fired, the window is enabled at once.
    void setMainWindow(QWidget* mainWindow);
    QWidget* mainWindow() const { return mainWindow_; }

    // Whether the timer has fired (it fires once).
    bool timerFired() const { return fired_; }

    // Timer1 fired: the main window is enabled and the timer stops.
    void Timer1Timer();

private:
    void enableMainWindow();

    TJPEGImage* JPEGImage1 = nullptr;
    QTimer* Timer1 = nullptr;
    QPointer<QWidget> mainWindow_;
    bool fired_ = false;
};
