// SPDX-License-Identifier: GPL-3.0-or-later
// Count, minimum, maximum, mean and spread of a run of values, kept in constant space and
// mergeable, so that statistics over a span can be formed from the statistics of its parts.
#pragma once

#include <cstdint>

class ValueStats {
  public:
    void add(double value);
    void merge(const ValueStats &other);

    std::int64_t count() const { return count_; }
    double min() const { return min_; }
    double max() const { return max_; }
    double mean() const { return mean_; }
    double peakToPeak() const { return count_ ? max_ - min_ : 0.0; }
    // The sample standard deviation (divisor count - 1); 0 below two values.
    double standardDeviation() const;

  private:
    std::int64_t count_ = 0;
    double min_ = 0;
    double max_ = 0;
    double mean_ = 0;
    double squares_ = 0; // sum of squared deviations from the mean
};
