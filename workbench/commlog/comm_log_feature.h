// SPDX-License-Identifier: GPL-3.0-or-later
// The communication log as a workbench feature: the log itself, listening from start-up; the
// View → Communication log window (Ctrl+L), made when first asked for; and the --log file.
#pragma once

#include "workbench/commlog/comm_log.h"

#include <QObject>
#include <QPointer>
#include <memory>

class CoreEvents;
class CommLogFile;
class CommLogWindow;
class MenuBar;
class SerialEvents;

class CommLogFeature : public QObject {
    Q_OBJECT
  public:
    // `logPath` empty: no log file.
    CommLogFeature(CoreEvents &core, SerialEvents &serial, MenuBar &menus, const QString &logPath);
    ~CommLogFeature() override;

    const CommLog &log() const { return log_; }

  private:
    void showWindow();
    QString fileText() const;

    CommLog log_;
    std::unique_ptr<CommLogFile> file_;
    QPointer<CommLogWindow> window_;
};
