// SPDX-License-Identifier: GPL-3.0-or-later
// The communication log's search: which rows' text lines contain a text, ignoring case. Making
// the line of every row of a full log takes far longer than a keystroke may hold the window,
// so the lines are made and searched on a worker thread. The rows go to it in chunks copied on
// the GUI thread from the ring as it is then: the worker never reads the ring while the log
// appends to it. A new search drops the one under way; one that only adds to the last text
// looks again only at the rows that held the last text.
#pragma once

#include "workbench/commlog/comm_row.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <vector>

class CommLog;

// Which rows, from `first` on, hold `text`.
struct CommMatches {
    QString text;
    qint64 first = 0;
    std::vector<bool> found;

    bool covers(qint64 seq) const { return seq >= first && seq - first < qint64(found.size()); }
};

class CommSearch : public QObject {
    Q_OBJECT
  public:
    explicit CommSearch(const CommLog &log, QObject *parent = nullptr);
    // Waits for the chunk the worker may still be on.
    ~CommSearch() override;

    // Searches the rows held now and those that come until the search has caught up.
    void start(const QString &text);
    void cancel();
    bool running() const { return running_; }

  signals:
    void finished(const CommMatches &matches);

  private:
    struct Chunk {
        std::vector<qint64> seqs;
        std::vector<CommRow> rows;
    };

    void sendChunk();
    void takeChunk();
    Chunk nextChunk();

    const CommLog &log_;
    QThreadPool pool_;
    QFutureWatcher<std::vector<bool>> worker_;
    std::vector<qint64> sent_; // the rows of the chunk under way
    bool running_ = false;
    qint64 next_ = 0; // the first row not yet sent
    CommMatches current_;
    CommMatches last_; // of the last search that finished
};
