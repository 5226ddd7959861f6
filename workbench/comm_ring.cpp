#include "workbench/comm_ring.h"

namespace {

// A heap block's header and the allocator's own bookkeeping, for each of bytes and text.
constexpr qint64 kBlockOverhead = 48;

} // namespace

CommRing::CommRing(RingBounds bounds) : bounds_(bounds) {}

qint64 CommRing::costOf(const CommRow &row) {
    return qint64(sizeof(CommRow)) + row.bytes.size() + 2 * row.text.size() + 2 * kBlockOverhead;
}

void CommRing::append(CommRow row) {
    held_ += costOf(row);
    rows_.push_back(std::move(row));
    evict();
}

const CommRow *CommRing::at(qint64 seq) const {
    if (seq < first_ || seq >= endSeq())
        return nullptr;
    return &rows_[std::size_t(seq - first_)];
}

// The newest row always stays, however large it is.
void CommRing::evict() {
    const qint64 newest = rows_.back().ns;
    while (rows_.size() > 1 &&
           (held_ > bounds_.bytes || newest - rows_.front().ns > bounds_.spanNs)) {
        held_ -= costOf(rows_.front());
        rows_.pop_front();
        ++first_;
    }
}
