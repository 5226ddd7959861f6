// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/trend/trend_statistics.h"

#include <QDateTime>
#include <QStringList>

namespace {

const char *const kValueNames[kStatChannels] = {"First edge", "Second edge", "Third value",
                                                "Teach value"};
const QStringList kColumns = {QStringLiteral("Value"),       QStringLiteral("Count"),
                              QStringLiteral("Min"),         QStringLiteral("Max"),
                              QStringLiteral("Mean"),        QStringLiteral("Std dev"),
                              QStringLiteral("Peak-to-peak")};
constexpr int kNameWidth = 12;
constexpr int kNumberWidth = 11;

QString timeOf(Millis ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString heading(const StatisticsBlock &b, Unit unit) {
    const TrendSummary &s = b.summary;
    const QString span =
        s.frames() ? QStringLiteral(" %1 – %2").arg(timeOf(s.firstWallMs()), timeOf(s.lastWallMs()))
                   : QString();
    return QStringLiteral("%1%2: %3 frames, %4 frames/s, values in %5")
        .arg(b.title, span)
        .arg(s.frames())
        .arg(s.framesPerSecond(), 0, 'f', 2)
        .arg(QString::fromUtf8(UnitSymbol(unit)));
}

QStringList cellsOf(const char *name, const ValueStats &v) {
    const auto number = [](double x, int decimals) { return QString::number(x, 'f', decimals); };
    if (v.count() == 0)
        return {QString::fromUtf8(name), QStringLiteral("0"), "-", "-", "-", "-", "-"};
    return {QString::fromUtf8(name),  QString::number(v.count()), number(v.min(), 0),
            number(v.max(), 0),       number(v.mean(), 3),        number(v.standardDeviation(), 3),
            number(v.peakToPeak(), 0)};
}

QString aligned(const QStringList &cells) {
    QString line = cells[0].leftJustified(kNameWidth);
    for (int i = 1; i < cells.size(); ++i)
        line +=
            ' ' + cells[i].rightJustified(i == cells.size() - 1 ? kNumberWidth + 2 : kNumberWidth);
    return line;
}

} // namespace

QString StatisticName(int channel) {
    return QString::fromUtf8(kValueNames[channel]);
}

QString AlignedStatistics(const std::vector<StatisticsBlock> &blocks, Unit unit) {
    QStringList lines;
    for (const StatisticsBlock &b : blocks) {
        lines << heading(b, unit) << aligned(kColumns);
        for (int c = 0; c < kStatChannels; ++c)
            lines << aligned(cellsOf(kValueNames[c], b.summary.values[std::size_t(c)]));
    }
    return lines.join('\n');
}

QString TabSeparatedStatistics(const std::vector<StatisticsBlock> &blocks, Unit unit) {
    QStringList lines;
    for (const StatisticsBlock &b : blocks) {
        lines << heading(b, unit) << kColumns.join('\t');
        for (int c = 0; c < kStatChannels; ++c)
            lines << cellsOf(kValueNames[c], b.summary.values[std::size_t(c)]).join('\t');
    }
    return lines.join('\n') + '\n';
}
