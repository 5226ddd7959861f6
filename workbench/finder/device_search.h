// SPDX-License-Identifier: GPL-3.0-or-later
// A search for sensors on many devices at once: every device is probed on a thread of its own,
// all in parallel, each with its own time limit. A probe that overruns it (a stalled adapter
// that hangs in open or close) is abandoned: its thread is left to end on its own, holding
// only what it owns, and the search reports it and goes on. Cancel ends every wait at once.
#pragma once

#include "workbench/finder/probe_finding.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

struct SearchTarget {
    int port = 0; // its number in the Port ring
    QString path;
    bool present = true;
    // The tool's own open port: it is never opened, and `known` is reported for it.
    bool inUse = false;
    ProbeFinding known = {};
};

class DeviceSearch {
  public:
    static constexpr int kProbeLimitMs = 1000;
    // Looks at one device; it ends soon after `cancel` is set, unless the system holds it.
    using Probe = std::function<ProbeFinding(const SearchTarget &, const std::atomic_bool &cancel)>;

    // Sends `echoFrame` to every device that is not in use.
    DeviceSearch(const QList<SearchTarget> &targets, const QByteArray &echoFrame);
    DeviceSearch(const QList<SearchTarget> &targets, Probe probe);
    ~DeviceSearch(); // cancels what still runs
    DeviceSearch(const DeviceSearch &) = delete;
    DeviceSearch &operator=(const DeviceSearch &) = delete;

    const QList<SearchTarget> &targets() const { return targets_; }
    // The finding of target `i`, once it is done.
    bool done(int i) const;
    ProbeFinding finding(int i) const;
    int doneCount() const;
    bool finished() const { return doneCount() == int(targets_.size()); }

    // Waits up to `ms` for a probe to end; abandons the probes past their limit.
    void wait(int ms);
    // Ends every probe at once: those still running are reported as cancelled.
    void cancel();

  private:
    struct Shared;
    void abandonOverdue();

    QList<SearchTarget> targets_;
    std::shared_ptr<Shared> shared_;
};
