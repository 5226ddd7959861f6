// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/videosignal/video_csv.h"

#include "workbench/videosignal/signal_figures.h"

#include <QFile>
#include <QFileInfo>

namespace {

// A saved signal takes about 6 KiB; anything much larger is not one.
constexpr qint64 kLargestFile = 64 * 1024;
constexpr int kLargestPosition = 65535;

std::optional<VideoSnapshot> refused(QString *error, const QString &why) {
    *error = why;
    return std::nullopt;
}

bool numberIn(const QByteArray &field, int top, int &value) {
    bool ok = false;
    const uint v = field.trimmed().toUInt(&ok);
    value = int(v);
    return ok && v <= uint(top);
}

} // namespace

std::optional<VideoSnapshot> ReadVideoCsv(const QString &path, QString *error) {
    const QFileInfo info(path);
    if (!info.exists())
        return refused(error, QStringLiteral("%1: no such file").arg(path));
    if (!info.isFile())
        return refused(error, QStringLiteral("%1: not a regular file").arg(path));
    if (info.size() > kLargestFile)
        return refused(error, QStringLiteral("%1: larger than %2 KiB, not a saved video signal")
                                  .arg(path)
                                  .arg(kLargestFile / 1024));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (lines.isEmpty() || lines[0].trimmed() != "sample,position_px,value,threshold")
        return refused(error, QStringLiteral("%1: the first line is not "
                                             "\"sample,position_px,value,threshold\"")
                                  .arg(path));
    if (lines.size() != 1 + kVideoSamples)
        return refused(error, QStringLiteral("%1: %2 rows of samples, a video signal has %3")
                                  .arg(path)
                                  .arg(lines.size() - 1)
                                  .arg(kVideoSamples));
    VideoSnapshot s;
    s.at = info.lastModified();
    for (int i = 0; i < kVideoSamples; ++i) {
        const QList<QByteArray> fields = lines[i + 1].split(',');
        int sample = 0, position = 0, value = 0, threshold = 0;
        if (fields.size() != 4 || !numberIn(fields[0], kVideoSamples - 1, sample) || sample != i ||
            !numberIn(fields[1], kLargestPosition, position) ||
            !numberIn(fields[2], kTopLevel, value) || !numberIn(fields[3], kTopLevel, threshold))
            return refused(error, QStringLiteral("line %1 of %2 is not \"%3,position,value,"
                                                 "threshold\" with levels from 0 to %4")
                                      .arg(i + 2)
                                      .arg(path)
                                      .arg(i)
                                      .arg(kTopLevel));
        if (threshold != (i ? s.thresholds[0] : threshold))
            return refused(error, QStringLiteral("line %1 of %2: the threshold differs from the "
                                                 "first row's")
                                      .arg(i + 2)
                                      .arg(path));
        s.samples[std::size_t(i)] = std::uint16_t(value);
        s.positions[std::size_t(i)] = std::uint16_t(position);
        s.thresholds[std::size_t(i)] = std::uint16_t(threshold);
    }
    return s;
}
