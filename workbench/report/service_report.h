// SPDX-License-Identifier: GPL-3.0-or-later
// The service report's content: what the tool knew of the line, the sensor's parameter sets,
// its video signal and live values, and the line's problems when the report was made, kept as
// plain values. Gathering it is report_gathering's business, laying it out report_document's.
#pragma once

#include "workbench/adapters/parameter_table.h"
#include "workbench/adapters/video_snapshot.h"
#include "workbench/history/history_summary.h"
#include "workbench/trend/trend_store.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct ReportPort {
    int number = 0;
    QString item;   // as the Port ring names it: "5: /dev/ttyUSB0 — FT232R USB UART (FTDI, …)"
    QString device; // the path the port opens
    // The adapter as the system lists it; all empty for a device it does not list (a
    // pseudo-terminal, a built-in port without a driver behind it).
    QString description;
    QString manufacturer;
    QString serialNumber;
    QString byId;
};

struct ReportSet {
    QString title; // "Panels", "RAM", "EEPROM" or a file's name
    QString state; // "read 14:02:11", "not read", ...
    QString path;  // files only
    std::optional<ParameterWords> words;
};

struct ReportParameters {
    QList<ReportSet> sets; // the panels first, then RAM, EEPROM and the files, newest first
    QStringList summary;   // how the places compare with the panels and with each other
    int filesLeftOut = 0;  // older files not shown for want of room

    const ParameterWords &panels() const { return *sets.front().words; }
    // Whether set `s` is known and differs from the panels in `word`.
    bool differs(qsizetype s, int word) const {
        const std::optional<ParameterWords> &w = sets[s].words;
        return s > 0 && w && (*w)[std::size_t(word)] != panels()[std::size_t(word)];
    }
};

struct ReportLiveValues {
    TrendSummary summary; // every live frame since start-up, or since the trend was cleared
    Unit unit = Unit::Pixels;
    QString recording; // what the recording to a file did, empty when there was none
};

struct ReportProblem {
    QString time; // wall clock
    QString direction;
    QString order;
    QString marks;
    QString what;
};

struct ReportProblems {
    qint64 count = 0;           // rows with marks among those the log holds
    QDateTime heldSince;        // the time of the oldest row the log holds
    QStringList countsByMark;   // "trailing: 4", ...
    QList<ReportProblem> first; // the first few of them
};

struct ServiceReport {
    QDateTime made;
    QString version;
    QDateTime sessionStarted;
    ReportPort port;
    QString replayOf; // the session file played back as the sensor; empty for a live sensor
    ReportParameters parameters;
    std::optional<VideoSnapshot> video;
    ReportLiveValues live;
    ReportProblems problems;
    QString note;
    std::optional<HistorySummary> history; // none without the service history
};
