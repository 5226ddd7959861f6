// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/report/report_gathering.h"

#include "app/tool_api.h"
#include "workbench/captures/captures_feature.h"
#include "workbench/commlog/comm_log_feature.h"
#include "workbench/commlog/comm_row_text.h"
#include "workbench/compare/compare_feature.h"
#include "workbench/compare/set_comparison.h"
#include "workbench/history/history_feature.h"
#include "workbench/ports/port_table.h"
#include "workbench/shared/session_replay.h"
#include "workbench/shared/version.h"
#include "workbench/trend/trend_feature.h"

namespace {

// A problem's description is cut here: a video block's decoding lists 64 samples.
constexpr qsizetype kProblemTextLength = 110;

ReportPort portInUse() {
    ReportPort port;
    port.number = ToolPortInUse();
    port.device = PortTable::pathOf(port.number);
    const DeviceScan scan = ScanSerialDevices({port.device});
    port.item = PortTable().itemText(port.number, scan, 0);
    if (const SerialDevice *d = scan.find(port.device)) {
        port.description = d->description;
        port.manufacturer = d->manufacturer;
        port.serialNumber = d->serialNumber;
        port.byId = d->byId;
    }
    return port;
}

ReportSet setOf(const QString &title, const PlacedSet *placed) {
    if (!placed)
        return {title, QStringLiteral("not read"), {}, std::nullopt};
    return {title, StateText(*placed), placed->path, placed->words};
}

ReportParameters parametersOf(const CompareFeature &compare) {
    ReportParameters p;
    ParameterWords panels{};
    ToolPanelWords(panels.data());
    const ParameterPlaces &places = compare.places();
    p.sets << ReportSet{
        QStringLiteral("Panels"), QStringLiteral("as a Send takes them"), {}, panels};
    p.sets << setOf(QStringLiteral("RAM"), places.ram())
           << setOf(QStringLiteral("EEPROM"), places.eeprom());
    const QList<const PlacedSet *> files = compare.comparedFiles();
    QList<PlacedSet> shownFiles;
    for (const PlacedSet *f : files.mid(0, kReportFiles)) {
        p.sets << setOf(PlaceName(*f), f);
        shownFiles << *f;
    }
    p.filesLeftOut = int(files.size() - shownFiles.size());
    p.summary = SummaryLines(panels, places.ram(), places.eeprom(), shownFiles);
    return p;
}

ReportLiveValues liveValuesOf(const TrendFeature &trend) {
    ReportLiveValues live;
    live.unit = ShownUnit();
    live.summary = trend.store().whole(live.unit);
    const LiveRecorder &recorder = trend.recorder();
    if (recorder.isOn())
        live.recording = QStringLiteral("Recording every live frame to %1").arg(recorder.path());
    else if (!recorder.path().isEmpty())
        live.recording = QStringLiteral("Recorded %1 frames to %2")
                             .arg(recorder.rowsWritten())
                             .arg(recorder.path());
    return live;
}

ReportProblem problemOf(const CommLog &log, const CommRow &row) {
    QString what = CellText(log, row, CommColumn::Decoding);
    if (what.size() > kProblemTextLength)
        what = what.left(kProblemTextLength - 1) + QStringLiteral("…");
    return {log.wallClockOf(row.ns).toString(QStringLiteral("HH:mm:ss.zzz")),
            CellText(log, row, CommColumn::Direction), CellText(log, row, CommColumn::Order),
            CellText(log, row, CommColumn::Marks), what};
}

ReportProblems problemsOf(const CommLog &log) {
    ReportProblems problems;
    const CommRing &ring = log.ring();
    if (const CommRow *oldest = ring.at(ring.firstSeq()))
        problems.heldSince = log.wallClockOf(oldest->ns);
    else
        problems.heldSince = log.started();
    constexpr quint16 kMarks[] = {MarkShort,   MarkLate,     MarkTrailing,
                                  MarkFlushed, MarkMismatch, MarkFailure};
    qint64 byMark[std::size(kMarks)] = {};
    for (qint64 seq = ring.firstSeq(); seq < ring.endSeq(); ++seq) {
        const CommRow &row = *ring.at(seq);
        if (!row.marks)
            continue;
        ++problems.count;
        for (std::size_t m = 0; m < std::size(kMarks); ++m)
            byMark[m] += (row.marks & kMarks[m]) != 0;
        if (problems.first.size() < kReportProblemRows)
            problems.first << problemOf(log, row);
    }
    for (std::size_t m = 0; m < std::size(kMarks); ++m)
        if (byMark[m])
            problems.countsByMark
                << QStringLiteral("%1: %2").arg(MarksText(kMarks[m])).arg(byMark[m]);
    return problems;
}

} // namespace

ServiceReport GatherReport(const ReportSources &sources, const QString &note) {
    ServiceReport r;
    r.made = QDateTime::currentDateTime();
    r.version = VersionLine();
    r.port = portInUse();
    r.replayOf = SessionReplay::instance().file();
    r.sessionStarted = sources.log.log().started();
    r.parameters = parametersOf(sources.compare);
    r.video = sources.graphs.lastVideoSignal();
    r.live = liveValuesOf(sources.trend);
    r.problems = problemsOf(sources.log.log());
    r.note = note;
    if (sources.history)
        r.history = sources.history->summary();
    return r;
}
