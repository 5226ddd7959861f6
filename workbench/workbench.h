// SPDX-License-Identifier: GPL-3.0-or-later
// The service workbench: features beyond the tool's own panels, built over the core. It learns
// what happens through the core's notifications and the platform layer's seams and never
// changes the sensor traffic, the operations' steps and timing, or the status line's texts.
#pragma once

#include "workbench/core_events.h"
#include "workbench/options.h"
#include "workbench/serial_events.h"

#include <memory>

class MenuBar;
class PortFinder;
class SetCompare;

class Workbench : public QObject {
    Q_OBJECT
  public:
    explicit Workbench(const Options &options);
    ~Workbench() override;

  private:
    void build();

    Options options_;
    CoreEvents core_;
    SerialEvents serial_; // the serial tap, set once for every feature
    std::unique_ptr<MenuBar> menus_;
    std::unique_ptr<SetCompare> compare_;
    std::unique_ptr<PortFinder> ports_;
};
