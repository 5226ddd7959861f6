// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/trend/trend_store.h"

#include <algorithm>

namespace {

void addValues(TrendSummary &summary, Millis ms, const std::array<float, kLiveChannels> &v) {
    if (summary.frames() == 0)
        summary.firstMs = ms;
    summary.lastMs = ms;
    for (int c = 0; c < kStatChannels; ++c)
        summary.values[std::size_t(c)].add(v[std::size_t(c)]);
}

void mergeBucket(TrendSummary &summary, const TrendBucket &b, Unit unit) {
    if (summary.frames() == 0)
        summary.firstMs = b.firstMs;
    summary.lastMs = b.lastMs;
    for (int c = 0; c < kStatChannels; ++c)
        summary.values[std::size_t(c)].merge(b.of(unit, c));
}

} // namespace

double TrendSummary::framesPerSecond() const {
    const Millis span = lastMs - firstMs;
    return frames() < 2 || span <= 0 ? 0.0 : double(frames() - 1) * 1000.0 / double(span);
}

void TrendStore::append(Millis ms, Millis wallMs, const LiveValues &values) {
    if (!frames_.empty())
        ms = std::max(ms, frames_.back().ms);
    else if (buckets_.empty())
        originMs_ = ms;
    wallOffsetMs_ = wallMs - ms;
    for (TrendSummary &summary : whole_)
        summary.wallOffsetMs = wallOffsetMs_;
    addValues(whole_[0], ms, values.pixels);
    addValues(whole_[1], ms, values.micrometres);
    frames_.push_back({ms, values});
    while (frames_.size() > limits_.maxFrames ||
           frames_.front().ms < ms - limits_.fullResolutionMs) {
        fold(frames_.front());
        frames_.pop_front();
    }
    ++revision_;
}

void TrendStore::clear() {
    frames_.clear();
    buckets_.clear();
    whole_ = {};
    bucketMs_ = limits_.firstBucketMs;
    ++revision_;
}

void TrendStore::fold(const TrendFrame &frame) {
    const std::int64_t index = (frame.ms - originMs_) / bucketMs_;
    if (buckets_.empty() || buckets_.back().index != index)
        buckets_.push_back({index, frame.ms, frame.ms, {}});
    TrendBucket &b = buckets_.back();
    b.lastMs = frame.ms;
    for (int c = 0; c < kLiveChannels; ++c) {
        b.stats[std::size_t(c)].add(frame.values.pixels[std::size_t(c)]);
        b.stats[std::size_t(kLiveChannels + c)].add(frame.values.micrometres[std::size_t(c)]);
    }
    if (buckets_.size() > limits_.maxBuckets)
        coarsen();
}

// Neighbours that fall into one stretch of twice the width merge, in place.
void TrendStore::coarsen() {
    bucketMs_ *= 2;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < buckets_.size(); ++i) {
        TrendBucket b = buckets_[i];
        b.index /= 2;
        if (kept > 0 && buckets_[kept - 1].index == b.index) {
            TrendBucket &into = buckets_[kept - 1];
            into.lastMs = b.lastMs;
            for (std::size_t s = 0; s < b.stats.size(); ++s)
                into.stats[s].merge(b.stats[s]);
        } else {
            buckets_[kept++] = b;
        }
    }
    buckets_.resize(kept);
}

std::deque<TrendFrame>::const_iterator TrendStore::frameAt(Millis ms) const {
    return std::lower_bound(frames_.begin(), frames_.end(), ms,
                            [](const TrendFrame &f, Millis t) { return f.ms < t; });
}

TrendSummary TrendStore::over(Millis from, Millis to, Unit unit) const {
    TrendSummary summary;
    summary.wallOffsetMs = wallOffsetMs_;
    for (const TrendBucket &b : buckets_)
        if (b.lastMs >= from && b.firstMs <= to)
            mergeBucket(summary, b, unit);
    for (auto it = frameAt(from); it != frames_.end() && it->ms <= to; ++it)
        addValues(summary, it->ms, it->values.in(unit));
    return summary;
}

std::optional<TrendFrame> TrendStore::nearest(Millis ms) const {
    if (frames_.empty())
        return std::nullopt;
    if (buckets_.empty() || ms >= buckets_.back().lastMs) {
        auto it = frameAt(ms);
        if (it == frames_.end() || (it != frames_.begin() && ms - (it - 1)->ms < it->ms - ms))
            --it;
        return *it;
    }
    auto b =
        std::lower_bound(buckets_.begin(), buckets_.end(), ms,
                         [](const TrendBucket &bucket, Millis t) { return bucket.lastMs < t; });
    return meanOf(*b);
}

TrendFrame TrendStore::meanOf(const TrendBucket &b) {
    TrendFrame f{(b.firstMs + b.lastMs) / 2, {}};
    for (int c = 0; c < kLiveChannels; ++c) {
        f.values.pixels[std::size_t(c)] = float(b.of(Unit::Pixels, c).mean());
        f.values.micrometres[std::size_t(c)] = float(b.of(Unit::Micrometres, c).mean());
    }
    return f;
}

// Older buckets, then the frames, in the order of their times.
std::optional<TrendFrame> TrendStore::neighbour(Millis ms, bool later) const {
    const auto middle = [](const TrendBucket &b) { return (b.firstMs + b.lastMs) / 2; };
    if (later) {
        for (const TrendBucket &b : buckets_)
            if (middle(b) > ms)
                return meanOf(b);
        auto it = std::upper_bound(frames_.begin(), frames_.end(), ms,
                                   [](Millis t, const TrendFrame &f) { return t < f.ms; });
        return it == frames_.end() ? std::nullopt : std::optional<TrendFrame>(*it);
    }
    if (auto it = frameAt(ms); it != frames_.begin())
        return *(it - 1);
    for (auto b = buckets_.rbegin(); b != buckets_.rend(); ++b)
        if (middle(*b) < ms)
            return meanOf(*b);
    return std::nullopt;
}
