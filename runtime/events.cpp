// SPDX-License-Identifier: GPL-3.0-or-later
#include "events.h"

#include "registry.h"
#include "widgets/numeric.h"
#include "widgets/slide.h"
#include "widgets/timer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <deque>
#include <set>

namespace {

std::deque<RtEvent> queue;
std::set<std::pair<int, int>> busy;
std::map<std::pair<int, int>, std::deque<RtEvent>> held;
int codeWrites = 0;
int inputHolds = 0;

// Timer ticks are not the user's: a hold lets them through, or no wait could time out.
bool deliverable(const RtEvent &e) {
    return inputHolds == 0 || e.event == EVENT_TIMER_TICK;
}

void post(int panel, int control, int event) {
    rtPostEvent({panel, control, event, 0, 0});
}

void invoke(const RtEvent &e) {
    if (e.control == 0) {
        PanelRecord *p = rtPanel(e.panel);
        if (p && p->callback)
            p->callback(e.panel, e.event, nullptr, e.data1, e.data2);
        return;
    }
    ControlRecord *c = rtControl(e.panel, e.control);
    if (c && c->callback)
        c->callback(e.panel, e.control, e.event, nullptr, e.data1, e.data2);
}

void deliver(const RtEvent &e) {
    const std::pair<int, int> key{e.panel, e.control};
    if (busy.count(key)) {
        held[key].push_back(e);
        return;
    }
    busy.insert(key);
    invoke(e);
    busy.erase(key);
    auto it = held.find(key);
    while (it != held.end() && !it->second.empty()) {
        RtEvent next = it->second.front();
        it->second.pop_front();
        deliver(next);
        it = held.find(key);
    }
    if (it != held.end() && it->second.empty() && !busy.count(key))
        held.erase(it);
}

// Turns mouse presses into left clicks and push-button releases into commits. A push button
// commits on the release that ends a press begun while it was enabled, even when its
// left-click handler has dimmed it since; its own clicked() then comes only from the keyboard.
class InputFilter : public QObject {
  public:
    bool eventFilter(QObject *watched, QEvent *event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            return onPress(watched, static_cast<QMouseEvent *>(event));
        case QEvent::MouseButtonRelease:
            return onRelease(watched, static_cast<QMouseEvent *>(event));
        case QEvent::Close:
            return onClose(watched, event);
        default:
            return false;
        }
    }

  private:
    bool onPress(QObject *watched, QMouseEvent *event) {
        int panel, control;
        QWidget *w;
        if (event->button() != Qt::LeftButton || !rtFindControl(watched, &panel, &control, &w))
            return false;
        if (!w->isEnabled() || isRepeat(event, w))
            return false;
        post(panel, control, EVENT_LEFT_CLICK);
        if (isPushButton(w))
            pressed_ = w;
        return false;
    }

    bool onRelease(QObject *watched, QMouseEvent *event) {
        if (event->button() != Qt::LeftButton || !pressed_)
            return false;
        int panel, control;
        QWidget *w;
        if (!rtFindControl(watched, &panel, &control, &w) || w != pressed_)
            return false;
        pressed_ = nullptr;
        auto *button = static_cast<QPushButton *>(w);
        button->setDown(false);
        if (button->rect().contains(button->mapFromGlobal(event->globalPosition().toPoint())))
            post(panel, control, EVENT_COMMIT);
        return true;
    }

    bool onClose(QObject *watched, QEvent *event) {
        int panel = rtFindPanel(watched);
        if (!panel)
            return false;
        event->ignore();
        post(panel, 0, EVENT_CLOSE);
        return true;
    }

    static bool isPushButton(QWidget *w) {
        auto *b = qobject_cast<QPushButton *>(w);
        return b && !b->isCheckable();
    }

    // A press propagated from a child to its control arrives once per widget; count it once.
    bool isRepeat(QMouseEvent *event, QWidget *control) {
        bool repeat = lastPressTime_ == event->timestamp() && lastPressControl_ == control;
        lastPressTime_ = event->timestamp();
        lastPressControl_ = control;
        return repeat;
    }

    QPointer<QWidget> pressed_;
    QPointer<QWidget> lastPressControl_;
    quint64 lastPressTime_ = 0;
};

void attachButton(QAbstractButton *b, int panel, int control) {
    QObject::connect(b, &QAbstractButton::clicked, b, [=] {
        if (b->isCheckable())
            post(panel, control, EVENT_VAL_CHANGED);
        post(panel, control, EVENT_COMMIT);
    });
}

void attachRing(QComboBox *c, int panel, int control) {
    QObject::connect(c, &QComboBox::currentIndexChanged, c, [=] {
        if (!rtWritingFromCode())
            post(panel, control, EVENT_VAL_CHANGED);
    });
    QObject::connect(c, &QComboBox::activated, c, [=] { post(panel, control, EVENT_COMMIT); });
}

template <typename T> void attachValueControl(T *w, int panel, int control) {
    QObject::connect(w, &T::userChanged, w, [=] { post(panel, control, EVENT_VAL_CHANGED); });
    QObject::connect(w, &T::committed, w, [=] { post(panel, control, EVENT_COMMIT); });
}

} // namespace

void rtPostEvent(const RtEvent &event) {
    queue.push_back(event);
}

void QueueCtrlEvent(int panel, int control, int event) {
    post(panel, control, event);
}

bool rtControlCallbackRunning() {
    return !busy.empty();
}

bool rtHasPendingEvents() {
    return std::any_of(queue.begin(), queue.end(), deliverable);
}

// Held events stay at the front of the queue, in order; a callback may queue more meanwhile.
bool rtDispatchEvents() {
    bool any = false;
    std::size_t next = 0;
    while (next < queue.size()) {
        if (!deliverable(queue[next])) {
            ++next;
            continue;
        }
        RtEvent e = queue[next];
        queue.erase(queue.begin() + std::ptrdiff_t(next));
        any = true;
        deliver(e);
    }
    return any;
}

void HoldUserInput(int hold) {
    inputHolds += hold ? 1 : -1;
}

int UserInputWaiting() {
    return inputHolds > 0 && !std::all_of(queue.begin(), queue.end(), deliverable);
}

void rtForgetPanel(int panel) {
    std::erase_if(queue, [panel](const RtEvent &e) { return e.panel == panel; });
    std::erase_if(held, [panel](const auto &entry) { return entry.first.first == panel; });
}

void rtAttachControl(QWidget *widget, int panel, int control) {
    rtTagControl(widget, panel, control);
    if (auto *t = qobject_cast<RtTimer *>(widget)) {
        QObject::connect(t, &RtTimer::tick, t, [=] { post(panel, control, EVENT_TIMER_TICK); });
    } else if (auto *n = qobject_cast<RtNumeric *>(widget)) {
        attachValueControl(n, panel, control);
    } else if (auto *s = qobject_cast<RtSlide *>(widget)) {
        attachValueControl(s, panel, control);
    } else if (auto *c = qobject_cast<QComboBox *>(widget)) {
        attachRing(c, panel, control);
    } else if (auto *b = qobject_cast<QAbstractButton *>(widget)) {
        attachButton(b, panel, control);
    }
}

void rtInstallInputFilter() {
    static InputFilter *filter = nullptr;
    if (!filter) {
        filter = new InputFilter;
        qApp->installEventFilter(filter);
    }
}

bool rtWritingFromCode() {
    return codeWrites > 0;
}
RtCodeWrite::RtCodeWrite() {
    ++codeWrites;
}
RtCodeWrite::~RtCodeWrite() {
    --codeWrites;
}
