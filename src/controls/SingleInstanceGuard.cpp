#include "controls/SingleInstanceGuard.h"

#include "platform/ApplicationEnd.h"
#include "platform/SingleInstance.h"

#include <QWidget>

TJustOne32::TJustOne32(QWidget* mainWindow) : QObject(mainWindow) {
    setObjectName(QStringLiteral("JustOne32"));
    TPreviousInstance* guard = TPreviousInstance::instance();
    if (!guard) return;
    if (!guard->isPreviousInstance()) {
        guard->setMainWindow(mainWindow);
        return;
    }
    // The running copy looks for its window by our current title; we end whether or not it finds one.
    shownPrevious_ = guard->askToShowWindow(vitrinex::applicationTitle());
    terminating_ = true;
    vitrinex::requestApplicationEnd();
}
