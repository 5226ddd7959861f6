// SPDX-License-Identifier: GPL-3.0-or-later
// The core's notifications as Qt signals, so that every workbench feature can listen to what
// the core does. Connections must stay direct: a listener learns while the core acts and must
// not start operations or touch the panels' values from a slot.
#pragma once

#include "state/notify.h"
#include "workbench/adapters/live_values.h"
#include "workbench/adapters/video_snapshot.h"

#include <QObject>
#include <QString>
#include <QVector>

class CoreEvents : public QObject, public CoreListener {
    Q_OBJECT
  public:
    CoreEvents();
    ~CoreEvents() override;

    void panelsLoaded() override { emit panelsReady(); }
    void runEnding() override { emit ending(); }
    void parameterSetRead(ParamPlace place, const unsigned short *words, const char *path) override;
    void parameterSetWritten(ParamPlace place, const unsigned short *words,
                             const char *path) override;
    void liveFrameShown(const ShownLiveFrame &frame) override;
    void videoSignalShown(const ShownVideoSignal &signal) override;
    void statusShown(const char *text) override;

  signals:
    void panelsReady();
    void ending();
    void setRead(ParamPlace place, const QVector<quint16> &words, const QString &path);
    void setWritten(ParamPlace place, const QVector<quint16> &words, const QString &path);
    void liveFrame(const QVector<quint16> &words, const LiveValues &values);
    void videoSignal(const VideoSnapshot &signal);
    void status(const QString &text);
};
