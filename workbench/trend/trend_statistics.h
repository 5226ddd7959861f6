// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics under the trend chart: for the visible span and for the whole recording,
// count, minimum, maximum, mean, standard deviation and peak-to-peak of each value, and the
// frames per second. Laid out in aligned columns to read, and tab-separated to paste.
#pragma once

#include "workbench/trend/trend_store.h"

#include <QString>
#include <vector>

struct StatisticsBlock {
    QString title; // "Visible span", "Whole recording"
    TrendSummary summary;
};

// "First edge", "Second edge", "Third value" or "Teach value".
QString StatisticName(int channel);
QString AlignedStatistics(const std::vector<StatisticsBlock> &blocks, Unit unit);
QString TabSeparatedStatistics(const std::vector<StatisticsBlock> &blocks, Unit unit);
