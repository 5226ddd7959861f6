// SPDX-License-Identifier: GPL-3.0-or-later
// The event loop. Each pass lets Qt process its pending events, then runs the serial receive
// callbacks whose byte counts are reached and delivers the queued control events.
#include "events.h"
#include "runtime.h"
#include "runtime_qt.h"
#include "serial_tap.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>
#include <memory>
#include <vector>

namespace {

// Longest a pass of ProcessSystemEvents sleeps when nothing is pending. Short enough for a
// waiting loop to see its flags promptly, long enough not to spin a core.
constexpr int kIdleWaitMs = 5;

// Wakes a waiting pass after kIdleWaitMs. One timer per nesting depth is kept and reused:
// a waiting loop calls this thousands of times a second.
class GuardTimer {
  public:
    GuardTimer() {
        if (timers().size() <= depth())
            timers().push_back(std::make_unique<QTimer>());
        timer_ = timers()[depth()++].get();
        timer_->setSingleShot(true);
        timer_->start(kIdleWaitMs);
    }
    ~GuardTimer() {
        timer_->stop();
        --depth();
    }
    GuardTimer(const GuardTimer &) = delete;
    GuardTimer &operator=(const GuardTimer &) = delete;

  private:
    static std::vector<std::unique_ptr<QTimer>> &timers() {
        static std::vector<std::unique_ptr<QTimer>> list;
        return list;
    }
    static std::size_t &depth() {
        static std::size_t d = 0;
        return d;
    }
    QTimer *timer_;
};

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
        GuardTimer guard;
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

bool rtApplicationBusy() {
    return rtControlCallbackRunning() || rtSerialCallbackRunning();
}

void QuitUserInterface(int returnCode) {
    quitRequested = true;
    quitCode = returnCode;
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
}
