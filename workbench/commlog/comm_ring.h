// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of the communication log, oldest first, bounded by the time they span and by the
// memory they hold; the oldest rows go first. Each row has a sequence number that stays its own
// while the row is held, so readers (the window, the log file) can follow the ring by number.
//
// The rows live in blocks of slots: a block is added when the newest is full and goes when
// its last row left, so the slots cost about what the rows held need, and the rows fill the
// whole bound. A block that goes is kept for the next one: once the ring is full, appending a
// row allocates nothing but the row's own bytes and text.
#pragma once

#include "workbench/commlog/comm_row.h"

#include <deque>
#include <memory>
#include <utility>

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
    // The memory the ring accounts for: its blocks of slots (the kept one too), and the heap
    // blocks of its rows' bytes and text.
    qint64 heldBytes() const {
        return held_ + qint64(blocks_.size() + (spare_ ? 1 : 0)) * kBlockBytes;
    }

    // What a row's bytes and text cost beyond its slot.
    static qint64 costOf(const CommRow &row);

    static constexpr qint64 kBlockSlots = 256;
    // A block's slots, the array's and the allocator's headers, and its pointer in the deque.
    static constexpr qint64 kBlockBytes = kBlockSlots * qint64(sizeof(CommRow)) + 48;

  private:
    using Block = std::unique_ptr<CommRow[]>;

    // The block and the slot in it of the row numbered `seq`.
    std::pair<std::size_t, std::size_t> placeOf(qint64 seq) const {
        const qint64 offset = head_ + (seq - first_);
        return {std::size_t(offset / kBlockSlots), std::size_t(offset % kBlockSlots)};
    }
    CommRow &slot(qint64 seq) {
        const auto [block, i] = placeOf(seq);
        return blocks_[block][i];
    }
    const CommRow &slot(qint64 seq) const {
        const auto [block, i] = placeOf(seq);
        return blocks_[block][i];
    }
    void evict();

    RingBounds bounds_;
    std::deque<Block> blocks_;
    Block spare_;
    qint64 head_ = 0; // the oldest row's slot in the first block
    qint64 count_ = 0;
    qint64 first_ = 0;
    qint64 held_ = 0; // costOf() summed over the rows held
};
