// SPDX-License-Identifier: GPL-3.0-or-later
// Sessions played back as a sensor: File → Replay session… starts the simulator on the session
// file, and the Port ring picks its device as a port. While it runs, every window says it is
// a replay (SessionReplay); File → End replay, or the tool's end, stops it.
#pragma once

#include "workbench/sessions/replay_sensor.h"

#include <QObject>

class MenuBar;
class QAction;

class SessionsFeature : public QObject {
    Q_OBJECT
  public:
    explicit SessionsFeature(MenuBar &menus);
    ~SessionsFeature() override;

  private:
    void replay(const QString &file);

    ReplaySensor sensor_;
    QAction *item_ = nullptr;
    QString file_;
};
