// The program's entry.

#include "Version.h"
#include "app/Startup.h"
#include "forms/MainWindow.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    if (!vitrinex::displayAvailable()) {
        std::fprintf(stderr, "vitrinex: no display to show the window on. Start it from a desktop session, "
                             "or under a virtual display: xvfb-run scripts/run.sh\n");
        return 1;
    }
    QApplication app(argc, argv);
    // The guard is named after the program's default title, so it comes before the title is set.
    TPreviousInstance previousInstance;

    QApplication::setWindowIcon(vitrinex::loadApplicationIcon());
    QApplication::setApplicationName(QString::fromLatin1(vitrinex::kApplicationTitle));
    vitrinex::setApplicationTitle(QString::fromLatin1(vitrinex::kApplicationTitle));

    vitrinex::ProgramWindows windows;
    windows.showMainWindow();
    return QApplication::exec();
}
