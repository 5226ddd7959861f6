// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/report/report_html.h"

#include "workbench/trend/trend_statistics.h"

#include <QStringList>
#include <algorithm>

namespace {

// Light enough to print as a pale grey behind black text.
const char *const kHeaderShade = "#e4e4e4";
const char *const kDifferenceShade = "#cfcfcf";
// The picture's width in the document, at 96 per inch: the text's width on A4 and Letter.
constexpr int kPictureWidth = 660;

QString esc(const QString &text) {
    return text.toHtmlEscaped();
}

QString timeText(const QDateTime &t) {
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QStringLiteral("—");
}

QString heading(const QString &text) {
    return QStringLiteral(
               "<h2 style=\"font-size:11pt; margin-top:14px; margin-bottom:5px\">%1</h2>")
        .arg(esc(text));
}

QString paragraph(const QString &html) {
    return QStringLiteral("<p style=\"margin-top:2px; margin-bottom:4px\">%1</p>").arg(html);
}

QString table(const QString &rows, const QString &width = QStringLiteral("100%")) {
    return QStringLiteral("<table width=\"%1\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
                          "style=\"border-collapse:collapse; border-color:#808080\">%2</table>")
        .arg(width, rows);
}

QString headerCells(const QStringList &titles) {
    QString row;
    for (const QString &t : titles)
        row += QStringLiteral("<th bgcolor=\"%1\" align=\"left\">%2</th>").arg(kHeaderShade, t);
    return QStringLiteral("<thead><tr>%1</tr></thead>").arg(row);
}

QString cell(const QString &html, bool right = false) {
    return right ? QStringLiteral("<td align=\"right\">%1</td>").arg(html)
                 : QStringLiteral("<td>%1</td>").arg(html);
}

QString titleBlock(const ServiceReport &r) {
    return QStringLiteral(
               "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"0\"><tr>"
               "<td><span style=\"font-size:18pt; font-weight:bold\">Service report</span><br>"
               "<span style=\"font-size:10pt\">R-MOX-QF CCD line sensor</span></td>"
               "<td align=\"right\" valign=\"bottom\">%1<br>%2</td></tr></table><hr>")
        .arg(esc(timeText(r.made)), esc(r.version));
}

QString adapterText(const ReportPort &p) {
    if (p.description.isEmpty() && p.manufacturer.isEmpty())
        return QStringLiteral("none listed by the system");
    QStringList parts;
    for (const QString &part : {p.description, p.manufacturer})
        if (!part.isEmpty())
            parts << part;
    return parts.join(QStringLiteral(", "));
}

QString sessionBlock(const ServiceReport &r) {
    const auto row = [](const QString &name, const QString &value) {
        return QStringLiteral("<tr><td width=\"22%\"><b>%1</b></td><td>%2</td></tr>")
            .arg(esc(name), esc(value));
    };
    const ReportPort &p = r.port;
    QString rows =
        row(QStringLiteral("Report made"), timeText(r.made)) +
        row(QStringLiteral("Session started"), timeText(r.sessionStarted)) +
        row(QStringLiteral("Tool"), r.version) +
        (r.replayOf.isEmpty()
             ? QString()
             : row(QStringLiteral("Sensor"),
                   QStringLiteral("a replay of the recorded session %1, not a live sensor")
                       .arg(r.replayOf))) +
        row(QStringLiteral("Port"), p.item.isEmpty() ? QString::number(p.number) : p.item) +
        row(QStringLiteral("Adapter"), adapterText(p)) +
        row(QStringLiteral("Serial number"),
            p.serialNumber.isEmpty() ? QStringLiteral("—") : p.serialNumber);
    if (!p.byId.isEmpty())
        rows += row(QStringLiteral("Stable name"), p.byId);
    return heading(QStringLiteral("Session")) +
           QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\">%1</table>")
               .arg(rows);
}

QString noteBlock(const ServiceReport &r) {
    const QString note = r.note.trimmed();
    return heading(QStringLiteral("Technician's note")) +
           paragraph(note.isEmpty() ? QStringLiteral("<i>No note.</i>")
                                    : esc(note).replace('\n', QStringLiteral("<br>")));
}

QString valueCell(const ReportParameters &p, qsizetype s, int word) {
    const std::optional<ParameterWords> &words = p.sets[s].words;
    if (!words)
        return QStringLiteral("<td align=\"center\">—</td>");
    const unsigned short value = (*words)[std::size_t(word)];
    if (!p.differs(s, word))
        return cell(QString::number(value), true);
    return QStringLiteral("<td align=\"right\" bgcolor=\"%1\"><b>≠&nbsp;%2</b></td>")
        .arg(kDifferenceShade)
        .arg(value);
}

// One line per word that differs somewhere: "Power: panels 650 ≠ RAM 700, EEPROM 700".
QStringList changesOf(const ReportParameters &p) {
    QStringList lines;
    for (int w = 0; w < PNUM; ++w) {
        QStringList others;
        for (qsizetype s = 1; s < p.sets.size(); ++s)
            if (p.differs(s, w))
                others << QStringLiteral("%1 %2")
                              .arg(p.sets[s].title)
                              .arg((*p.sets[s].words)[std::size_t(w)]);
        if (!others.isEmpty())
            lines << QStringLiteral("%1: panels %2 ≠ %3")
                         .arg(QString::fromUtf8(kParameterTable[std::size_t(w)].name))
                         .arg(p.panels()[std::size_t(w)])
                         .arg(others.join(QStringLiteral(", ")));
    }
    return lines;
}

QString parametersBlock(const ReportParameters &p) {
    QStringList titles = {QStringLiteral("Word"), QStringLiteral("Parameter"),
                          QStringLiteral("Unit"), QStringLiteral("Range")};
    for (const ReportSet &s : p.sets)
        titles << QStringLiteral("%1<br><span style=\"font-weight:normal\">%2</span>")
                      .arg(esc(s.title), esc(s.state));
    QString rows = headerCells(titles);
    for (int w = 0; w < PNUM; ++w) {
        const ParameterInfo &info = kParameterTable[std::size_t(w)];
        rows += QStringLiteral("<tr>") + cell(QString::number(w), true) +
                cell(esc(QString::fromUtf8(info.name))) + cell(esc(QString::fromUtf8(info.unit))) +
                cell(QStringLiteral("%1–%2").arg(info.min).arg(info.max));
        for (qsizetype s = 0; s < p.sets.size(); ++s)
            rows += valueCell(p, s, w);
        rows += QStringLiteral("</tr>");
    }
    QString html = heading(QStringLiteral("Parameter sets"));
    html += paragraph(esc(p.summary.join('\n')).replace('\n', QStringLiteral("<br>")));
    html += table(rows);
    const QStringList changes = changesOf(p);
    html += paragraph(
        changes.isEmpty()
            ? QStringLiteral("The panels hold the same values as every place read.")
            : QStringLiteral("<b>Differences from the panels</b> (≠, bold, shaded):<br>") +
                  esc(changes.join('\n')).replace('\n', QStringLiteral("<br>")));
    QStringList files;
    for (const ReportSet &s : p.sets)
        if (!s.path.isEmpty())
            files << QStringLiteral("%1: %2").arg(s.title, s.path);
    if (p.filesLeftOut > 0)
        files << QStringLiteral("%1 older file(s) left out").arg(p.filesLeftOut);
    if (!files.isEmpty())
        html += paragraph(QStringLiteral("Files: ") +
                          esc(files.join('\n')).replace('\n', QStringLiteral("<br>")));
    return html;
}

QString videoBlock(const std::optional<VideoSnapshot> &video) {
    QString html = heading(QStringLiteral("Video signal"));
    if (!video)
        return html + paragraph(QStringLiteral("<i>No video signal was read in this session.</i>"));
    const VideoSnapshot &v = *video;
    const auto [low, high] = std::minmax_element(v.samples.begin(), v.samples.end());
    const auto [tLow, tHigh] = std::minmax_element(v.thresholds.begin(), v.thresholds.end());
    const QString threshold =
        *tLow == *tHigh ? QString::number(*tLow) : QStringLiteral("%1–%2").arg(*tLow).arg(*tHigh);
    html += QStringLiteral("<p align=\"center\"><img src=\"%1\" width=\"%2\"></p>")
                .arg(VideoPictureUrl().toString())
                .arg(kPictureWidth);
    html += paragraph(QStringLiteral("Read %1; %2 samples at pixels %3–%4; levels %5–%6; "
                                     "threshold %7.")
                          .arg(timeText(v.at))
                          .arg(v.samples.size())
                          .arg(v.positions.front())
                          .arg(v.positions.back())
                          .arg(*low)
                          .arg(*high)
                          .arg(threshold));
    return html;
}

QString liveBlock(const ReportLiveValues &live) {
    QString html = heading(QStringLiteral("Live values"));
    const TrendSummary &s = live.summary;
    if (s.frames() == 0)
        return html + paragraph(QStringLiteral("<i>No live frame came in this session.</i>"));
    const QString unit = QString::fromUtf8(UnitSymbol(live.unit));
    html += paragraph(
        esc(QStringLiteral("Every live frame of Run and Data since start-up (or since the trend "
                           "was cleared): %1 frames from %2 to %3, %4 frames/s; values in %5.")
                .arg(s.frames())
                .arg(timeText(QDateTime::fromMSecsSinceEpoch(s.firstWallMs())),
                     timeText(QDateTime::fromMSecsSinceEpoch(s.lastWallMs())))
                .arg(s.framesPerSecond(), 0, 'f', 2)
                .arg(unit)));
    QString rows =
        headerCells({QStringLiteral("Value"), QStringLiteral("Count"), QStringLiteral("Min"),
                     QStringLiteral("Max"), QStringLiteral("Mean"), QStringLiteral("Std dev"),
                     QStringLiteral("Peak-to-peak")});
    for (int c = 0; c < kStatChannels; ++c) {
        const ValueStats &v = s.values[std::size_t(c)];
        rows += QStringLiteral("<tr>") + cell(esc(StatisticName(c))) +
                cell(QString::number(v.count()), true) +
                cell(QString::number(v.min(), 'f', 0), true) +
                cell(QString::number(v.max(), 'f', 0), true) +
                cell(QString::number(v.mean(), 'f', 3), true) +
                cell(QString::number(v.standardDeviation(), 'f', 3), true) +
                cell(QString::number(v.peakToPeak(), 'f', 0), true) + QStringLiteral("</tr>");
    }
    html += table(rows);
    if (!live.recording.isEmpty())
        html += paragraph(esc(live.recording));
    return html;
}

QString problemsBlock(const ReportProblems &p) {
    QString html = heading(QStringLiteral("Communication problems"));
    const QString since = timeText(p.heldSince);
    if (p.count == 0)
        return html +
               paragraph(
                   esc(QStringLiteral("The communication log marked no row since %1.").arg(since)));
    html += paragraph(esc(QStringLiteral("The communication log marked %1 %2 since %3 (%4).")
                              .arg(p.count)
                              .arg(p.count == 1 ? QStringLiteral("row") : QStringLiteral("rows"))
                              .arg(since, p.countsByMark.join(QStringLiteral("; ")))));
    QString rows =
        headerCells({QStringLiteral("Time"), QStringLiteral("Direction"), QStringLiteral("Order"),
                     QStringLiteral("Marks"), QStringLiteral("What")});
    for (const ReportProblem &row : p.first)
        rows += QStringLiteral("<tr>") + cell(esc(row.time)) + cell(esc(row.direction)) +
                cell(esc(row.order)) + cell(QStringLiteral("<b>%1</b>").arg(esc(row.marks))) +
                cell(esc(row.what)) + QStringLiteral("</tr>");
    html += table(rows);
    if (p.count > p.first.size())
        html += paragraph(esc(QStringLiteral("The first %1 of them; the log (View → Communication "
                                             "log, Only problems) shows every one.")
                                  .arg(p.first.size())));
    return html;
}

QString historyBlock(const std::optional<HistorySummary> &h) {
    if (!h)
        return {};
    const auto row = [](const QString &name, const QString &value) {
        return QStringLiteral("<tr><td width=\"22%\"><b>%1</b></td><td>%2</td></tr>")
            .arg(esc(name), esc(value));
    };
    QString rows =
        row(QStringLiteral("Sensor tag"), h->tag.isEmpty() ? QStringLiteral("untagged") : h->tag) +
        row(QStringLiteral("Technician"),
            h->technician.isEmpty() ? QStringLiteral("—") : h->technician) +
        row(QStringLiteral("History"), h->kept) +
        row(QStringLiteral("Since the last visit"),
            h->sinceLastVisit.isEmpty() ? QStringLiteral("no earlier visit of this tag kept a set")
                                        : h->sinceLastVisit);
    for (const QString &check : h->checks)
        rows += row(QStringLiteral("Check"), check);
    return heading(QStringLiteral("Service history")) +
           QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\">%1</table>")
               .arg(rows);
}

} // namespace

QUrl VideoPictureUrl() {
    return QUrl(QStringLiteral("report:video-signal.png"));
}

QString ReportHtml(const ServiceReport &report) {
    return QStringLiteral("<html><body>") + titleBlock(report) + sessionBlock(report) +
           noteBlock(report) + historyBlock(report.history) + parametersBlock(report.parameters) +
           videoBlock(report.video) + liveBlock(report.live) + problemsBlock(report.problems) +
           QStringLiteral("</body></html>");
}
