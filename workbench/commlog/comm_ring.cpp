// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/commlog/comm_ring.h"

#include <algorithm>

namespace {

// glibc's malloc: a block takes what was asked plus its 8-byte header, rounded up to 16;
// Qt's arrays put 16 bytes of their own before the data and a terminating null after it.
constexpr qint64 kArrayHeader = 16;
constexpr qint64 kMallocHeader = 8;

qint64 heapBlockOf(qint64 dataBytes) {
    return (kArrayHeader + dataBytes + kMallocHeader + 15) / 16 * 16;
}

} // namespace

CommRing::CommRing(RingBounds bounds) : bounds_(bounds) {}

// An empty array has no heap block; a shared one is counted as if the row owned it.
qint64 CommRing::costOf(const CommRow &row) {
    qint64 cost = 0;
    if (row.bytes.capacity() > 0 || !row.bytes.isEmpty())
        cost += heapBlockOf(std::max(row.bytes.capacity(), row.bytes.size()) + 1);
    if (row.text.capacity() > 0 || !row.text.isEmpty())
        cost += heapBlockOf(2 * (std::max(row.text.capacity(), row.text.size()) + 1));
    if (row.arrivals.capacity() > 0)
        cost += heapBlockOf(row.arrivals.capacity() * qint64(sizeof(Arrival)));
    return cost;
}

void CommRing::append(CommRow row) {
    if (head_ + count_ == qint64(blocks_.size()) * kBlockSlots)
        blocks_.push_back(spare_ ? std::move(spare_) : std::make_unique<CommRow[]>(kBlockSlots));
    held_ += costOf(row);
    slot(endSeq()) = std::move(row);
    ++count_;
    evict();
}

const CommRow *CommRing::at(qint64 seq) const {
    if (seq < first_ || seq >= endSeq())
        return nullptr;
    return &slot(seq);
}

// The newest row always stays, however large it is.
void CommRing::evict() {
    const qint64 newest = slot(endSeq() - 1).ns;
    while (count_ > 1 &&
           (heldBytes() > bounds_.bytes || newest - slot(first_).ns > bounds_.spanNs)) {
        CommRow &oldest = slot(first_);
        held_ -= costOf(oldest);
        oldest = CommRow{};
        ++first_;
        --count_;
        if (++head_ == kBlockSlots) {
            head_ = 0;
            if (!spare_)
                spare_ = std::move(blocks_.front());
            blocks_.pop_front();
        }
    }
}
