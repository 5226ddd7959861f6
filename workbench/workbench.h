// The service workbench: features beyond the tool's own panels, built over the core. It learns
// what happens through the core's notifications and the platform layer's seams and never
// changes the sensor traffic, the operations' steps and timing, or the status line's texts.
#pragma once

#include "state/notify.h"
#include "workbench/options.h"

#include <memory>

class MenuBar;

class Workbench : public CoreListener {
  public:
    explicit Workbench(const Options &options);
    ~Workbench() override;
    Workbench(const Workbench &) = delete;
    Workbench &operator=(const Workbench &) = delete;

    void panelsLoaded() override;

  private:
    Options options_;
    std::unique_ptr<MenuBar> menus_;
};
