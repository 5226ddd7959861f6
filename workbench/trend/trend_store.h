// SPDX-License-Identifier: GPL-3.0-or-later
// Every live frame since the trend began (or was cleared): the newest minutes at full
// resolution, everything older as buckets of statistics over fixed stretches of time. When
// the buckets grow too many, neighbours merge and the stretch doubles, so memory stays bounded
// however long Run goes on. The statistics of the whole are kept apart and stay exact.
#pragma once

#include "workbench/adapters/live_values.h"
#include "workbench/trend/value_stats.h"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

// Milliseconds. Frames are spaced by a monotonic clock, so that a step of the wall clock can
// neither bunch nor fold them; they are labelled with the wall clock (see TrendStore::wallOf).
using Millis = std::int64_t;

// The values whose statistics are shown: first edge, second edge, third value, teach value.
constexpr int kStatChannels = 4;

struct TrendSummary {
    std::array<ValueStats, kStatChannels> values;
    Millis firstMs = 0; // monotonic
    Millis lastMs = 0;
    Millis wallOffsetMs = 0; // wall clock minus monotonic clock, as the store labels times

    std::int64_t frames() const { return values[0].count(); }
    // Milliseconds since the epoch of the first and the last frame.
    Millis firstWallMs() const { return firstMs + wallOffsetMs; }
    Millis lastWallMs() const { return lastMs + wallOffsetMs; }
    // Frames per second between the first and the last frame; 0 below two frames.
    double framesPerSecond() const;
};

struct TrendFrame {
    Millis ms;
    LiveValues values;
};

struct TrendBucket {
    std::int64_t index; // stretch number since the origin
    Millis firstMs;
    Millis lastMs;
    std::array<ValueStats, 2 * kLiveChannels> stats; // by unit, then channel

    const ValueStats &of(Unit unit, int channel) const {
        return stats[std::size_t(unit == Unit::Pixels ? 0 : kLiveChannels) + std::size_t(channel)];
    }
};

class TrendStore {
  public:
    struct Limits {
        Millis fullResolutionMs = 10 * 60 * 1000;
        std::size_t maxFrames = 32768;
        std::size_t maxBuckets = 2048;
        Millis firstBucketMs = 1000;
    };

    TrendStore() : TrendStore(Limits{}) {}
    explicit TrendStore(const Limits &limits) : limits_(limits), bucketMs_(limits.firstBucketMs) {}

    // `ms` is the monotonic time of the frame, `wallMs` the wall clock's reading at that
    // moment. A frame older than the newest one is taken as coming at the same time.
    void append(Millis ms, Millis wallMs, const LiveValues &values);
    void clear();

    // The wall-clock time of the monotonic time `ms`, by the wall clock's reading at the newest
    // frame: after a step of the clock every label moves alike, and the spacing stays.
    Millis wallOf(Millis ms) const { return ms + wallOffsetMs_; }

    bool empty() const { return frames_.empty(); }
    Millis firstMs() const {
        return buckets_.empty() ? frames_.front().ms : buckets_.front().firstMs;
    }
    Millis lastMs() const { return frames_.back().ms; }
    std::int64_t revision() const { return revision_; }

    // Statistics of every frame since the start.
    const TrendSummary &whole(Unit unit) const { return whole_[slot(unit)]; }
    // Statistics of the frames between `from` and `to`; older buckets that reach into that
    // span count whole.
    TrendSummary over(Millis from, Millis to, Unit unit) const;

    const std::vector<TrendBucket> &buckets() const { return buckets_; }
    const std::deque<TrendFrame> &frames() const { return frames_; }
    // The first kept frame at or after `ms`.
    std::deque<TrendFrame>::const_iterator frameAt(Millis ms) const;
    Millis bucketMs() const { return bucketMs_; }
    // The kept frame nearest to `ms`; where only buckets are left, the means of the bucket
    // that holds `ms` (or the nearest one), at its middle. Nothing when the store is empty.
    std::optional<TrendFrame> nearest(Millis ms) const;
    // The frame (or bucket, as `nearest` gives it) just after `ms` (`later`) or just before it;
    // nothing past the ends.
    std::optional<TrendFrame> neighbour(Millis ms, bool later) const;

  private:
    static std::size_t slot(Unit unit) { return unit == Unit::Pixels ? 0 : 1; }
    void fold(const TrendFrame &frame);
    void coarsen();
    static TrendFrame meanOf(const TrendBucket &b);

    Limits limits_;
    Millis bucketMs_;
    Millis originMs_ = 0;
    Millis wallOffsetMs_ = 0;
    std::int64_t revision_ = 0;
    std::deque<TrendFrame> frames_;
    std::vector<TrendBucket> buckets_;
    std::array<TrendSummary, 2> whole_;
};
