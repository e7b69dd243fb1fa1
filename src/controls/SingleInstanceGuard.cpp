#include "controls/SingleInstanceGuard.h"

#include "platform/ApplicationEnd.h"
#include "platform/SingleInstance.h"

#include <QMessageBox>
#include <QWidget>

TJustOne32::TJustOne32(QWidget* mainWindow) : QObject(mainWindow) {
    setObjectName(QStringLiteral("JustOne32"));
    TPreviousInstance* guard = TPreviousInstance::instance();
    if (!guard) return;
    if (!guard->isPreviousInstance()) {
        guard->setMainWindow(mainWindow);
        return;
    }
    // The running copy looks for its window by our current title, or opens the file we were given in its
    // main window; we end whether or not it does.
    shownPrevious_ = guard->fileToHandOver().isEmpty() ? guard->askToShowWindow(vitrinex::applicationTitle())
                                                       : guard->askToOpenFile(guard->fileToHandOver());
    terminating_ = true;
    if (guard->lastRequestAnswered()) {
        vitrinex::requestApplicationEnd();
        return;
    }
    // The running copy hangs: ending silently would leave the user with no program at all.
    unanswered_ = true;
    QMessageBox box(QMessageBox::Warning, vitrinex::applicationTitle(),
                    QStringLiteral("%1 is already running but does not answer. End the running copy, then "
                                   "start the program again.")
                        .arg(vitrinex::applicationTitle()),
                    QMessageBox::Ok);
    box.exec();
    vitrinex::requestApplicationEnd(1);
}
