// SPDX-License-Identifier: GPL-3.0-or-later
// Qt asks a window to repaint with one posted UpdateRequest, and asks again only once that was
// delivered. A held request is taken out of delivery and posted anew on release; whatever
// changed meanwhile is painted by that one request.
#include "paint_hold.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace {

// Longest a repaint is held when no pass waits: about a frame of the screen.
constexpr int kLongestHoldMs = 16;
// How long after a write repaints wait. A pseudo-terminal hands the bytes to its other end in
// a worker of the system, which a busy thread beside it holds up (0.6 ms on 2 cores); a
// driver of real hardware takes them in the write itself.
constexpr int kSettleMs = 1;

QDeadlineTimer settled;

class PaintHold : public QObject {
  public:
    explicit PaintHold(QObject *parent) : QObject(parent) {
        overdue_.setSingleShot(true);
        overdue_.setInterval(kLongestHoldMs);
        overdue_.callOnTimeout(this, [this] { release(); });
        qApp->installEventFilter(this);
    }

    void begin() { holding_ = true; }
    void end() { holding_ = false; }

    void release() {
        holding_ = false;
        overdue_.stop();
        for (const QPointer<QWidget> &window : held_)
            if (window)
                QCoreApplication::postEvent(window, new QEvent(QEvent::UpdateRequest),
                                            Qt::LowEventPriority);
        held_.clear();
    }

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (!holding_ || event->type() != QEvent::UpdateRequest || !watched->isWidgetType())
            return false;
        auto *window = static_cast<QWidget *>(watched);
        if (std::find(held_.begin(), held_.end(), window) == held_.end())
            held_.emplace_back(window);
        if (!overdue_.isActive())
            overdue_.start();
        return true;
    }

  private:
    bool holding_ = false;
    std::vector<QPointer<QWidget>> held_;
    QTimer overdue_;
};

// Lives as long as the application object, whose events it filters.
PaintHold &paintHold() {
    static QPointer<PaintHold> hold;
    if (!hold)
        hold = new PaintHold(qApp);
    return *hold;
}

} // namespace

void rtBeginPaintHold() {
    paintHold().begin();
}

void rtEndPaintHold() {
    paintHold().end();
}

void rtReleasePaints() {
    paintHold().release();
}

void rtNoteRequestWritten() {
    settled.setRemainingTime(kSettleMs, Qt::PreciseTimer);
}

int rtRequestSettlingMs() {
    const qint64 left = settled.remainingTimeNSecs();
    return left > 0 ? int((left + 999999) / 1000000) : 0;
}
