// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/commlog/comm_search.h"

#include "workbench/commlog/comm_log.h"
#include "workbench/commlog/comm_row_text.h"

#include <QtConcurrent/QtConcurrentRun>

namespace {

// About 15 ms of the worker's time: a dropped search keeps it no longer than that.
constexpr std::size_t kChunkRows = 4096;

// On the worker: of the log, only its start time is read, which never changes.
std::vector<bool> findIn(const CommLog &log, const std::vector<CommRow> &rows,
                         const QString &text) {
    std::vector<bool> found;
    found.reserve(rows.size());
    for (const CommRow &row : rows)
        found.push_back(TextLine(log, row).contains(text, Qt::CaseInsensitive));
    return found;
}

} // namespace

CommSearch::CommSearch(const CommLog &log, QObject *parent) : QObject(parent), log_(log) {
    pool_.setMaxThreadCount(1);
    connect(&worker_, &QFutureWatcherBase::finished, this, &CommSearch::takeChunk);
}

CommSearch::~CommSearch() {
    pool_.waitForDone();
}

void CommSearch::start(const QString &text) {
    if (!text.contains(last_.text, Qt::CaseInsensitive))
        last_ = {};
    current_ = {text, log_.ring().firstSeq(), {}};
    next_ = current_.first;
    running_ = true;
    sendChunk();
}

void CommSearch::cancel() {
    running_ = false;
    last_ = {};
}

CommSearch::Chunk CommSearch::nextChunk() {
    const CommRing &ring = log_.ring();
    Chunk chunk;
    next_ = std::max(next_, ring.firstSeq());
    for (; next_ < ring.endSeq() && chunk.rows.size() < kChunkRows; ++next_) {
        // A row without the shorter text cannot hold the longer one.
        if (last_.covers(next_) && !last_.found[std::size_t(next_ - last_.first)])
            continue;
        chunk.seqs.push_back(next_);
        chunk.rows.push_back(*ring.at(next_));
    }
    current_.found.resize(std::size_t(next_ - current_.first), false);
    return chunk;
}

void CommSearch::sendChunk() {
    Chunk chunk = nextChunk();
    if (chunk.rows.empty()) {
        running_ = false;
        last_ = current_;
        emit finished(current_);
        return;
    }
    sent_ = std::move(chunk.seqs);
    worker_.setFuture(
        QtConcurrent::run(&pool_, [&log = log_, rows = std::move(chunk.rows),
                                   text = current_.text] { return findIn(log, rows, text); }));
}

void CommSearch::takeChunk() {
    if (!running_)
        return;
    const std::vector<bool> found = worker_.result();
    for (std::size_t i = 0; i < sent_.size(); ++i)
        if (found[i])
            current_.found[std::size_t(sent_[i] - current_.first)] = true;
    sendChunk();
}
