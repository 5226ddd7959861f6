// The rows of the communication log, oldest first, bounded by the time they span and by the
// memory they hold; the oldest rows go first. Each row has a sequence number that stays its own
// while the row is held, so readers (the window, the log file) can follow the ring by number.
#pragma once

#include "workbench/comm_row.h"

#include <deque>

struct RingBounds {
    qint64 spanNs = 10LL * 60 * 1000 * 1000 * 1000; // the newest row's time minus the oldest's
    qint64 bytes = 32LL * 1024 * 1024;              // held bytes plus a per-row estimate
};

class CommRing {
  public:
    explicit CommRing(RingBounds bounds = {});

    void append(CommRow row);

    // The first number held and the one the next row will get.
    qint64 firstSeq() const { return first_; }
    qint64 endSeq() const { return first_ + qint64(rows_.size()); }
    // The row with that number, or nullptr when it is not held.
    const CommRow *at(qint64 seq) const;
    qint64 heldBytes() const { return held_; }

    // What one row costs beyond its bytes and text: the row and the heap blocks behind them.
    static qint64 costOf(const CommRow &row);

  private:
    void evict();

    RingBounds bounds_;
    std::deque<CommRow> rows_;
    qint64 first_ = 0;
    qint64 held_ = 0;
};
