// The event loop. Each pass lets Qt process its pending events, then runs the serial receive
// callbacks whose byte counts are reached and delivers the queued control events.
#include "events.h"
#include "runtime.h"
#include "runtime_qt.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>

namespace {

// Longest a pass of ProcessSystemEvents sleeps when nothing is pending. Short enough for a
// waiting loop to see its flags promptly, long enough not to spin a core.
constexpr int kIdleWaitMs = 5;

bool quitRequested = false;
int quitCode = 0;

void deliverRuntimeWork() {
    rtPollSerial();
    rtDispatchEvents();
}

bool runtimeWorkPending() {
    return rtHasPendingEvents();
}

} // namespace

int ProcessSystemEvents() {
    deliverRuntimeWork();
    if (runtimeWorkPending()) {
        QCoreApplication::processEvents();
    } else {
        QTimer guard;
        guard.setSingleShot(true);
        guard.start(kIdleWaitMs);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    deliverRuntimeWork();
    return 0;
}

int RunUserInterface() {
    quitRequested = false;
    while (!quitRequested) {
        deliverRuntimeWork();
        if (quitRequested)
            break;
        QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents;
        if (!runtimeWorkPending())
            flags |= QEventLoop::WaitForMoreEvents;
        QCoreApplication::processEvents(flags);
    }
    return quitCode;
}

void QuitUserInterface(int returnCode) {
    quitRequested = true;
    quitCode = returnCode;
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
}
