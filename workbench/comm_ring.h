// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of the communication log, oldest first, bounded by the time they span and by the
// memory they hold; the oldest rows go first. Each row has a sequence number that stays its own
// while the row is held, so readers (the window, the log file) can follow the ring by number.
//
// The rows live in a circle of slots that only ever grows: once it has room for what the
// bounds let it hold, appending a row allocates nothing.
#pragma once

#include "workbench/comm_row.h"

#include <vector>

struct RingBounds {
    qint64 spanNs = 10LL * 60 * 1000 * 1000 * 1000; // the newest row's time minus the oldest's
    qint64 bytes = 32LL * 1024 * 1024; // the slots, and the bytes and text of the rows held
};

class CommRing {
  public:
    explicit CommRing(RingBounds bounds = {});

    void append(CommRow row);

    // The first number held and the one the next row will get.
    qint64 firstSeq() const { return first_; }
    qint64 endSeq() const { return first_ + count_; }
    // The row with that number, or nullptr when it is not held.
    const CommRow *at(qint64 seq) const;
    // The memory the ring accounts for: its slots, and the bytes and text of its rows with an
    // estimate of their heap blocks.
    qint64 heldBytes() const { return held_ + qint64(slots_.size() * sizeof(CommRow)); }

    // What a row's bytes and text cost beyond its slot.
    static qint64 costOf(const CommRow &row);

  private:
    std::size_t slotOf(qint64 seq) const {
        return (head_ + std::size_t(seq - first_)) % slots_.size();
    }
    void grow();
    void evict();

    RingBounds bounds_;
    std::vector<CommRow> slots_;
    std::size_t head_ = 0; // the slot of the oldest row
    qint64 count_ = 0;
    qint64 first_ = 0;
    qint64 held_ = 0; // costOf() summed over the rows held
};
