// SPDX-License-Identifier: GPL-3.0-or-later
// Gathering the service report from the workbench's features, the panels and the port in use.
// Only reads: nothing is sent, no panel value or core variable changes.
#pragma once

#include "workbench/report/service_report.h"

class CommLogFeature;
class CapturesFeature;
class TrendFeature;
class CompareFeature;
class HistoryFeature;

struct ReportSources {
    const CompareFeature &compare;
    const CapturesFeature &graphs;
    const TrendFeature &trend;
    const CommLogFeature &log;
    const HistoryFeature *history = nullptr;
};

// How many of the log's problem rows the report shows, and how many files beside the panels,
// RAM and EEPROM.
constexpr int kReportProblemRows = 8;
constexpr int kReportFiles = 3;

ServiceReport GatherReport(const ReportSources &sources, const QString &note);
