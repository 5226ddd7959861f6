// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/comm_ring.h"

#include <algorithm>

namespace {

// A heap block's header and the allocator's own bookkeeping, for each of bytes and text.
constexpr qint64 kBlockOverhead = 48;
constexpr std::size_t kFirstSlots = 256;

} // namespace

CommRing::CommRing(RingBounds bounds) : bounds_(bounds) {}

qint64 CommRing::costOf(const CommRow &row) {
    return row.bytes.size() + 2 * row.text.size() + 2 * kBlockOverhead;
}

void CommRing::append(CommRow row) {
    if (count_ == qint64(slots_.size()))
        grow();
    held_ += costOf(row);
    slots_[slotOf(endSeq())] = std::move(row);
    ++count_;
    evict();
}

const CommRow *CommRing::at(qint64 seq) const {
    if (seq < first_ || seq >= endSeq())
        return nullptr;
    return &slots_[slotOf(seq)];
}

void CommRing::grow() {
    std::vector<CommRow> larger(std::max(kFirstSlots, 2 * slots_.size()));
    for (qint64 i = 0; i < count_; ++i)
        larger[std::size_t(i)] = std::move(slots_[slotOf(first_ + i)]);
    slots_ = std::move(larger);
    head_ = 0;
}

// The newest row always stays, however large it is.
void CommRing::evict() {
    const qint64 newest = slots_[slotOf(endSeq() - 1)].ns;
    while (count_ > 1 &&
           (heldBytes() > bounds_.bytes || newest - slots_[head_].ns > bounds_.spanNs)) {
        held_ -= costOf(slots_[head_]);
        slots_[head_] = CommRow{};
        head_ = (head_ + 1) % slots_.size();
        ++first_;
        --count_;
    }
}
