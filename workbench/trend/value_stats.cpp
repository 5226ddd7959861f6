// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/trend/value_stats.h"

#include <algorithm>
#include <cmath>

// Welford's update: the sum of squared deviations stays accurate where the plain sum of squares
// of values near 1000 would cancel.
void ValueStats::add(double value) {
    if (count_ == 0) {
        min_ = max_ = value;
    } else {
        min_ = std::min(min_, value);
        max_ = std::max(max_, value);
    }
    ++count_;
    const double delta = value - mean_;
    mean_ += delta / double(count_);
    squares_ += delta * (value - mean_);
}

// Chan's combination of two partial results.
void ValueStats::merge(const ValueStats &other) {
    if (other.count_ == 0)
        return;
    if (count_ == 0) {
        *this = other;
        return;
    }
    const double n = double(count_ + other.count_);
    const double delta = other.mean_ - mean_;
    squares_ += other.squares_ + delta * delta * double(count_) * double(other.count_) / n;
    mean_ += delta * double(other.count_) / n;
    count_ += other.count_;
    min_ = std::min(min_, other.min_);
    max_ = std::max(max_, other.max_);
}

double ValueStats::standardDeviation() const {
    return count_ < 2 ? 0.0 : std::sqrt(squares_ / double(count_ - 1));
}
