// SPDX-License-Identifier: GPL-3.0-or-later
// The event loop. Each pass lets Qt process its pending events, then runs the serial receive
// callbacks whose byte counts are reached and delivers the queued control events.
//
// A waiting loop calls ProcessSystemEvents over and over and tests its condition in between.
// A pass sleeps until the next event only when nothing happened that the caller has not yet
// seen: bytes arriving wake the sleep through the port's notifier, and a pass that ran a
// callback returns at once, as does the pass after it, since its caller has likely stopped
// waiting and processes events once between steps of its own, which a sleep would hold up.
// Such a pass holds repaints back too, as does a wait in the moment after a request was written
// (see paint_hold.h): they happen in the wait that follows.
#include "app_busy.h"
#include "events.h"
#include "paint_hold.h"
#include "runtime.h"
#include "runtime_qt.h"
#include "serial_tap.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

namespace {

// Longest a pass of ProcessSystemEvents sleeps when nothing is pending. Short enough for a
// waiting loop to see its flags promptly, long enough not to spin a core.
constexpr int kIdleWaitMs = 5;

// Wakes a waiting pass after kIdleWaitMs. One timer per nesting depth is kept and reused:
// a waiting loop calls this thousands of times a second.
class GuardTimer {
  public:
    explicit GuardTimer(int ms) {
        if (timers().size() <= depth())
            timers().push_back(std::make_unique<QTimer>());
        timer_ = timers()[depth()++].get();
        timer_->setSingleShot(true);
        timer_->start(ms);
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
bool lastPassRanCallbacks = false;

// True when a serial callback ran or a control event was delivered.
bool deliverRuntimeWork() {
    const bool serial = rtPollSerial();
    const bool events = rtDispatchEvents();
    return serial || events;
}

bool runtimeWorkPending() {
    return rtHasPendingEvents();
}

} // namespace

int ProcessSystemEvents() {
    bool ranCallbacks = deliverRuntimeWork();
    std::optional<GuardTimer> guard;
    QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents;
    const bool wait = !ranCallbacks && !lastPassRanCallbacks && !runtimeWorkPending();
    const int settlingMs = rtRequestSettlingMs();
    if (wait && settlingMs == 0)
        rtReleasePaints();
    else
        rtBeginPaintHold();
    if (wait) {
        guard.emplace(settlingMs > 0 ? settlingMs : kIdleWaitMs);
        flags |= QEventLoop::WaitForMoreEvents;
    }
    QCoreApplication::processEvents(flags);
    rtEndPaintHold();
    guard.reset();
    ranCallbacks = deliverRuntimeWork() || ranCallbacks;
    lastPassRanCallbacks = ranCallbacks;
    return 0;
}

int RunUserInterface() {
    quitRequested = false;
    while (!quitRequested) {
        deliverRuntimeWork();
        if (quitRequested)
            break;
        rtReleasePaints();
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
