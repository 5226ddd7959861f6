// SPDX-License-Identifier: GPL-3.0-or-later
// File → Save video signal… (CSV, with the video graph as PNG beside it), Save main graph…
// (PNG) and copying either graph to the clipboard. The last video signal is kept as it was
// read, from the core's notification.
#pragma once

#include "workbench/adapters/video_snapshot.h"

#include <QObject>
#include <QPixmap>
#include <optional>

class CoreEvents;
class MenuBar;
class QAction;

class CapturesFeature : public QObject {
    Q_OBJECT
  public:
    CapturesFeature(CoreEvents &core, MenuBar &menus);

    // Writes the last video signal to `csvPath` and the video graph as it shows now to the
    // same name ending in .png. False with `error` set when there is none or a write fails.
    bool saveVideoSignal(const QString &csvPath, QString *error) const;
    bool saveMainGraph(const QString &pngPath, QString *error) const;
    static QString pngBeside(const QString &csvPath);
    // The last video signal Data read, as it was read.
    const std::optional<VideoSnapshot> &lastVideoSignal() const { return last_; }

  private:
    void askVideoSignalPath();
    void askMainGraphPath();
    static bool writeVideoSignal(const QString &csvPath, const VideoSnapshot &snapshot,
                                 const QPixmap &graph, QString *error);

    std::optional<VideoSnapshot> last_;
    QAction *saveVideo_;
};
