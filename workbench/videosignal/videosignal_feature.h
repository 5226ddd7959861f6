// SPDX-License-Identifier: GPL-3.0-or-later
// Video signal analysis: every video signal Data reads is analysed and kept for 10 minutes;
// View → Video signal analysis shows the figures and the waterfall, File → Open video signal…
// shows a saved one.
#pragma once

#include "workbench/videosignal/signal_history.h"

#include <QObject>
#include <QPointer>

class CoreEvents;
class MenuBar;
class SignalWindow;

class VideoSignalFeature : public QObject {
    Q_OBJECT
  public:
    VideoSignalFeature(CoreEvents &core, MenuBar &menus);
    ~VideoSignalFeature() override;

    const SignalHistory &history() const { return history_; }
    // The window, made on first use.
    SignalWindow *window();
    // Shows the signal saved in `path`; false with `error` set when it cannot be read.
    bool open(const QString &path, QString *error);

  private:
    void take(const VideoSnapshot &signal);

    SignalHistory history_;
    QPointer<SignalWindow> window_;
};
