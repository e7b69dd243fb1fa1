// A small program for the single-instance tests: it sets up the guard the way the real program does,
// reports what happens on stdout, and ends on "quit" from stdin (or after a minute at most).

#include "controls/SingleInstanceGuard.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

static void report(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    auto option = [&args](const QString& name, const QString& fallback) {
        const qsizetype at = args.indexOf(name);
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
    };

    TPreviousInstance guard;
    report(QStringLiteral("guard %1 %2").arg(guard.isPreviousInstance() ? "second" : "first", guard.title()));

    vitrinex::setApplicationTitle(option(QStringLiteral("--title"), QStringLiteral("Vitrinex 1.4")));
    QWidget mainWindow;
    mainWindow.setObjectName(QStringLiteral("MainForm"));
    mainWindow.setWindowTitle(option(QStringLiteral("--caption"), vitrinex::applicationTitle()));
    mainWindow.resize(200, 100);
    QObject::connect(&guard, &TPreviousInstance::windowRequested,
                     [](const QString& title, QWidget* window, bool restored) {
                         report(QStringLiteral("request [%1] window=%2 restored=%3 minimized=%4")
                                    .arg(title, window ? window->objectName() : QStringLiteral("none"))
                                    .arg(int(restored))
                                    .arg(window ? int(window->isMinimized()) : -1));
                     });

    // A message box the guard shows is read out and closed, as a user would.
    QTimer boxReader;
    QObject::connect(&boxReader, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            report(QStringLiteral("box: ") + box->text());
            box->accept();
        }
    });
    boxReader.start(50);
    TJustOne32 justOne(&mainWindow);
    if (justOne.terminating()) report(QStringLiteral("asked shown=%1").arg(int(justOne.shownPrevious())));

    // The rest of start-up runs even in a copy that is ending, and may handle events before the main loop:
    // painting a splash window, or a modal dialog with a loop of its own.
    if (args.contains(QStringLiteral("--busy-startup"))) {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QEventLoop modal;
        QTimer::singleShot(300, &modal, &QEventLoop::quit);
        modal.exec();
        report(QStringLiteral("modal done"));
    }
    if (args.contains(QStringLiteral("--minimized")))
        mainWindow.showMinimized();
    else
        mainWindow.show();
    report(QStringLiteral("startup done"));

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0 || QByteArray(buffer, int(n)).contains("quit")) {
            input.setEnabled(false);
            app.quit();
        }
    });
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    QTimer::singleShot(0, [] { report(QStringLiteral("running")); });

    const int rc = app.exec();
    report(QStringLiteral("ended"));
    return rc;
}
