#include "platform/ApplicationEnd.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace vitrinex {
namespace {

// How long a waiting request sleeps before it looks again whether a modal window's loop is gone.
constexpr int kRetryMs = 20;

bool g_startupPending = false; // asked for during start-up; the main loop has not ended since
int g_status = 0;

// Asked for during start-up (no loop running yet): whatever loop runs first is left, and again until the
// application reports the end of its main loop, since a loop start-up runs (a modal dialog's) may come
// before the main one.
void endAfterStartup() {
    if (!g_startupPending || !QCoreApplication::instance()) return;
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(g_status);
    QTimer::singleShot(0, QCoreApplication::instance(), &endAfterStartup);
}

// Asked for from a running program: the main loop ends once no modal window's loop runs inside it.
void endWhenOutermost() {
    if (QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(kRetryMs, QCoreApplication::instance(), &endWhenOutermost);
        return;
    }
    if (g_status == 0)
        QCoreApplication::quit();
    else
        QCoreApplication::exit(g_status);
}

} // namespace

void requestApplicationEnd(int status) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    g_status = status;
    if (QThread::currentThread()->loopLevel() > 0) {
        QMetaObject::invokeMethod(app, &endWhenOutermost, Qt::QueuedConnection);
        return;
    }
    static QPointer<QCoreApplication> watched;
    if (watched != app) {
        watched = app;
        QObject::connect(app, &QCoreApplication::aboutToQuit, app, [] { g_startupPending = false; });
    }
    if (g_startupPending) return;
    g_startupPending = true;
    QMetaObject::invokeMethod(app, &endAfterStartup, Qt::QueuedConnection);
}

} // namespace vitrinex
