// SPDX-License-Identifier: GPL-3.0-or-later
// The live trend feature: every live frame goes into the trend's store and, while a recording
// is on, into its file. View → Live trend (Ctrl+T) shows the chart; File → Record live frames…
// turns the recording on and off; --record FILE starts one with the first live frame. File →
// Open recording… shows a recording in a trend window of its own.
#pragma once

#include "workbench/trend/live_recorder.h"
#include "workbench/trend/trend_store.h"

#include <QObject>
#include <QPointer>

class CoreEvents;
class MenuBar;
class QAction;
class TrendWindow;

class TrendFeature : public QObject {
    Q_OBJECT
  public:
    TrendFeature(CoreEvents &core, MenuBar &menus, const QString &recordPath);
    ~TrendFeature() override;

    const TrendStore &store() const { return store_; }
    LiveRecorder &recorder() { return recorder_; }
    const LiveRecorder &recorder() const { return recorder_; }
    // The trend window, made on first use.
    TrendWindow *window();

  private:
    void takeFrame(const QVector<quint16> &words, const LiveValues &values);
    void askRecordingPath();
    void recordingStarted(const QString &path);
    void recordingStopped(const QString &failure);

    TrendStore store_;
    LiveRecorder recorder_;
    QAction *record_;
    QPointer<TrendWindow> window_;
    QString recordingText_;
};
