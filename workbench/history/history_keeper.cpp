// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/history/history_keeper.h"

#include "runtime/safe_file.h"

void HistoryThread::run() {
    const FileSizeSignalBlocked blocked;
    exec();
}

HistoryKeeper::HistoryKeeper() {
    qRegisterMetaType<HistoryOpening>();
    thread_.setObjectName(QStringLiteral("history"));
    worker_.moveToThread(&thread_);
    thread_.start(QThread::LowPriority);
}

HistoryKeeper::~HistoryKeeper() {
    QMetaObject::invokeMethod(
        &worker_, [this] { store_.reset(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void HistoryKeeper::open(const QString &location, const QString &local) {
    QMetaObject::invokeMethod(&worker_, [this, location, local] {
        HistoryOpening opening;
        store_ = std::make_unique<HistoryStore>(QStringLiteral("history"));
        if (store_->open(location)) {
            opening = {true, store_->isShared(), DisplayedLocation(location), {}};
        } else {
            opening.problem = store_->lastError();
            store_ = std::make_unique<HistoryStore>(QStringLiteral("history-local"));
            if (IsSharedLocation(location) && store_->open(local))
                opening = {true, false, DisplayedLocation(local), opening.problem};
            else if (IsSharedLocation(location))
                opening.problem += QStringLiteral("; the local history: ") + store_->lastError();
            opening.location = opening.kept ? opening.location : DisplayedLocation(location);
        }
        emit opened(opening);
    });
}

void HistoryKeeper::write(std::function<bool(HistoryStore &)> step) {
    QMetaObject::invokeMethod(&worker_, [this, step] {
        if (store_ && store_->isOpen() && !step(*store_))
            emit notKept(store_->lastError());
    });
}

// Both on connections of their own: the local file may be the one in use.
int HistoryKeeper::upload(const QString &local, const QString &shared, QString *error) {
    int added = -1;
    QMetaObject::invokeMethod(
        &worker_,
        [&] {
            HistoryStore from(QStringLiteral("history-upload-from"));
            HistoryStore to(QStringLiteral("history-upload-to"));
            if (!from.open(local)) {
                *error = QStringLiteral("the local history: ") + from.lastError();
                return;
            }
            if (!to.open(shared)) {
                *error = to.lastError();
                return;
            }
            added = to.mergeFrom(from);
            if (added < 0)
                *error = to.lastError();
        },
        Qt::BlockingQueuedConnection);
    return added;
}
