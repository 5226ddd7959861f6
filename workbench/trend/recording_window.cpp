// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/trend/recording_window.h"

#include "workbench/shared/save_dialog.h"
#include "workbench/trend/recording_reader.h"
#include "workbench/trend/trend_window.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString wallTime(Millis ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

} // namespace

QWidget *OpenRecordingWindow(const QString &path, QWidget *parent) {
    const QString title = QStringLiteral("Open recording");
    QFile file(path);
    if (!OpenPickedFile(file, parent, title))
        return nullptr;
    const QFileInfo info(path);
    auto frames = std::make_unique<TrendStore>();
    const RecordingFile recording = ReadRecording(file, *frames);
    if (recording.refused) {
        ShowProblem(parent, title,
                    QStringLiteral("%1 cannot be opened. %2").arg(path, recording.problem));
        return nullptr;
    }
    const TrendSummary &whole = frames->whole(recording.unit);
    QStringList about;
    about << QStringLiteral("%1: %2 frames from %3 to %4")
                 .arg(QDir::toNativeSeparators(info.absoluteFilePath()))
                 .arg(recording.rows)
                 .arg(wallTime(whole.firstWallMs()), wallTime(whole.lastWallMs()));
    if (recording.unitChanged)
        about << QStringLiteral("The unit switch changed during the recording: every frame is "
                                "shown in pixels, from its words.");
    auto *window = new TrendWindow(std::move(frames), recording.unit, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("Live trend: %1").arg(info.fileName()));
    if (!recording.problem.isEmpty()) {
        about << recording.problem;
        ShowProblem(window, title, QStringLiteral("%1: %2").arg(path, recording.problem));
    }
    window->setRecordingText(about.join(QLatin1Char('\n')));
    window->show();
    return window;
}
