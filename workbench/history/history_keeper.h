// SPDX-License-Identifier: GPL-3.0-or-later
// The history's database on a thread of its own, so that no write ever holds the window or
// the line: writes are queued in order and each runs as one short transaction; reads (for the
// history window and the report) wait for the writes queued before them.
#pragma once

#include "workbench/history/history_store.h"

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>

// Where the history went when it was opened.
struct HistoryOpening {
    bool kept = false;   // a database is open
    bool shared = false; // it is the team's PostgreSQL database
    QString location;    // the database in use, without a password
    QString problem;     // why the wanted database is not in use, empty when it is
};

// The history's thread: a write of the database beyond the process's file size limit fails
// ("File too large") and leaves the history not kept, instead of ending the tool with SIGXFSZ.
class HistoryThread : public QThread {
  protected:
    void run() override;
};

class HistoryKeeper : public QObject {
    Q_OBJECT
  public:
    HistoryKeeper();
    // Runs the writes still queued, then closes the database.
    ~HistoryKeeper() override;

    // Opens `location`; a shared one that cannot be reached gives way to `local`. Queued like a
    // write: opened() tells the outcome.
    void open(const QString &location, const QString &local);
    // Queues a write; a failed one emits notKept() with the database's words.
    void write(std::function<bool(HistoryStore &)> step);
    // Runs `query` after the queued writes and waits for its result; `none` without a database.
    template <typename T> T read(std::function<T(HistoryStore &)> query, T none = T()) {
        T result = none;
        QMetaObject::invokeMethod(
            &worker_,
            [&] {
                if (store_ && store_->isOpen())
                    result = query(*store_);
            },
            Qt::BlockingQueuedConnection);
        return result;
    }
    // Merges the local database into `shared`; the records added, or -1 with `error` set.
    int upload(const QString &local, const QString &shared, QString *error);

  signals:
    void opened(const HistoryOpening &opening);
    void notKept(const QString &why);

  private:
    HistoryThread thread_;
    QObject worker_;                      // lives on thread_: the queue's receiver
    std::unique_ptr<HistoryStore> store_; // made, used and destroyed on thread_
};
