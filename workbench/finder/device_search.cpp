// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/finder/device_search.h"

#include "workbench/finder/sensor_probe.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// What the probes' threads share with the search; an abandoned thread keeps it alive.
struct DeviceSearch::Shared {
    std::mutex mutex;
    std::condition_variable ended;
    std::vector<std::optional<ProbeFinding>> results;
    std::atomic_bool cancel{false};
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

DeviceSearch::DeviceSearch(const QList<SearchTarget> &targets, const QByteArray &echoFrame)
    : DeviceSearch(targets, [echoFrame](const SearchTarget &t, const std::atomic_bool &cancel) {
          return ProbeDevice(t.path, t.present, echoFrame, cancel);
      }) {}

DeviceSearch::DeviceSearch(const QList<SearchTarget> &targets, Probe probe)
    : targets_(targets), shared_(std::make_shared<Shared>()) {
    shared_->results.resize(std::size_t(targets_.size()));
    for (int i = 0; i < targets_.size(); ++i) {
        const SearchTarget &t = targets_[i];
        if (t.inUse) {
            shared_->results[std::size_t(i)] = t.known;
            continue;
        }
        std::thread([shared = shared_, i, t, probe] {
            ProbeFinding f = probe(t, shared->cancel);
            const std::lock_guard lock(shared->mutex);
            auto &slot = shared->results[std::size_t(i)];
            if (!slot)
                slot = std::move(f);
            shared->ended.notify_all();
        }).detach();
    }
}

DeviceSearch::~DeviceSearch() {
    cancel();
}

bool DeviceSearch::done(int i) const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->results[std::size_t(i)].has_value();
}

ProbeFinding DeviceSearch::finding(int i) const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->results[std::size_t(i)].value_or(ProbeFinding{});
}

int DeviceSearch::doneCount() const {
    const std::lock_guard lock(shared_->mutex);
    int count = 0;
    for (const auto &r : shared_->results)
        count += r.has_value();
    return count;
}

void DeviceSearch::wait(int ms) {
    {
        std::unique_lock lock(shared_->mutex);
        const int before = int(std::count_if(shared_->results.begin(), shared_->results.end(),
                                             [](const auto &r) { return r.has_value(); }));
        shared_->ended.wait_for(lock, std::chrono::milliseconds(ms), [&] {
            return std::count_if(shared_->results.begin(), shared_->results.end(),
                                 [](const auto &r) { return r.has_value(); }) != before;
        });
    }
    abandonOverdue();
}

void DeviceSearch::abandonOverdue() {
    using namespace std::chrono;
    if (steady_clock::now() - shared_->started < milliseconds(kProbeLimitMs))
        return;
    const std::lock_guard lock(shared_->mutex);
    for (std::size_t i = 0; i < shared_->results.size(); ++i)
        if (!shared_->results[i])
            shared_->results[i] = ProbeFinding{
                ProbeFinding::Abandoned,
                QStringLiteral("%1 did not let its probe end within %2 ms; the search left it "
                               "(an adapter that stalls in open or close does this)")
                    .arg(targets_[qsizetype(i)].path)
                    .arg(kProbeLimitMs),
                QStringLiteral("pull the adapter out and plug it in again; if it stalls again, "
                               "try another USB socket or another adapter")};
}

void DeviceSearch::cancel() {
    shared_->cancel = true;
    const std::lock_guard lock(shared_->mutex);
    for (auto &r : shared_->results)
        if (!r)
            r = ProbeFinding{
                ProbeFinding::Cancelled, QStringLiteral("the search was cancelled"), {}};
}
