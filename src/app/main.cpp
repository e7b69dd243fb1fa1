// The program's entry.

#include "Version.h"
#include "app/CommandLine.h"
#include "app/Startup.h"
#include "collection/SafeFile.h"
#include "controls/SingleInstanceGuard.h"
#include "forms/MainWindow.h"
#include "forms/SettingsFile.h"
#include "platform/FilePlaces.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QFileInfo>
#include <cstdio>

namespace {

void print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char** argv) {
    vitrinex::ignoreFileSizeSignal(); // any file written beyond a size limit fails with "Disk full"
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const vitrinex::CommandLine command = vitrinex::parseCommandLine(arguments);
    switch (command.action) {
    case vitrinex::CommandLine::Action::Help:
        print(stdout, vitrinex::helpText());
        return 0;
    case vitrinex::CommandLine::Action::Manual:
        print(stdout, vitrinex::manualText());
        return 0;
    case vitrinex::CommandLine::Action::Version:
        print(stdout, vitrinex::versionText());
        return 0;
    case vitrinex::CommandLine::Action::Error:
        print(stderr, QStringLiteral("vitrinex: %1\nTry 'vitrinex --help'.\n").arg(command.error));
        return 2;
    case vitrinex::CommandLine::Action::CheckInstall: {
        QCoreApplication core(argc, argv); // for the program's own path; no display needed
        const vitrinex::InstallCheck check =
            vitrinex::checkInstall(QCoreApplication::applicationFilePath(), vitrinex::filePlaces());
        print(stdout, check.report);
        return check.complete ? 0 : 1;
    }
    case vitrinex::CommandLine::Action::Run:
        break;
    }

    if (!vitrinex::displayAvailable()) {
        std::fprintf(stderr, "vitrinex: no display to show the window on. Start it from a desktop session, "
                             "or under a virtual display: xvfb-run scripts/run.sh\n");
        return 1;
    }
    // Read before the application is made: Qt takes its scale factor then.
    vitrinex::applyZoomBeforeStart(vitrinex::readZoomSetting(vitrinex::zoomSettingPath()));
    QApplication app(argc, argv);
    // The guard is named after the program's default title, so it comes before the title is set.
    TPreviousInstance previousInstance;
    // Made absolute here: the running copy that may open it has a current directory of its own.
    const QString file = command.file.isEmpty() ? QString() : QFileInfo(command.file).absoluteFilePath();
    previousInstance.setFileToHandOver(file);
    // An installed program writes under the user's folders, which may not exist yet. Failing here
    // shows later, as the error of the write that needed the folder.
    vitrinex::createWritableFolders(vitrinex::filePlaces());

    QApplication::setWindowIcon(vitrinex::loadApplicationIcon());
    QApplication::setApplicationName(QString::fromLatin1(vitrinex::kApplicationTitle));
    vitrinex::setApplicationTitle(QString::fromLatin1(vitrinex::kApplicationTitle));
    // The desktop entry's name, so that the desktop matches our window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(VITRINEX_DESKTOP_ID));

    vitrinex::ProgramWindows windows;
    windows.showMainWindow();
    // A copy that hands its file over shows no window: started from a terminal, it says where the file went.
    const auto* guard = windows.mainWindow().findChild<TJustOne32*>();
    if (!file.isEmpty() && guard && guard->terminating() && !guard->unanswered())
        print(stderr,
              guard->shownPrevious()
                  ? QStringLiteral("vitrinex: Vitrinex is already running; %1 opens there.\n").arg(file)
                  : QStringLiteral("vitrinex: Vitrinex is already running but did not take %1.\n").arg(file));
    if (!previousInstance.isPreviousInstance()) {
        TMainForm& main = windows.mainWindow();
        QObject::connect(&previousInstance, &TPreviousInstance::fileOpenRequested, &main,
                         &TMainForm::OpenCollectionFile);
        if (!file.isEmpty()) main.OpenCollectionFile(file);
    }
    return QApplication::exec();
}
