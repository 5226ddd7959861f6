// SPDX-License-Identifier: GPL-3.0-or-later
// The service workbench: features beyond the tool's own panels, built over the core. It learns
// what happens through the core's notifications and the platform layer's seams and never
// changes the sensor traffic, the operations' steps and timing, or the status line's texts.
#pragma once

#include "workbench/adapters/core_events.h"
#include "workbench/adapters/serial_events.h"
#include "workbench/program/options.h"

#include <memory>

class CommLogFeature;
class CapturesFeature;
class TrendFeature;
class MenuBar;
class PortsFeature;
class QuitSignals;
class ReportFeature;
class CompareFeature;
class VideoSignalFeature;
class FinderFeature;
class HistoryFeature;
class SessionsFeature;
class WindowMemory;

class Workbench : public QObject {
    Q_OBJECT
  public:
    explicit Workbench(const Options &options);
    ~Workbench() override;

    // Features the tests and the benchmark reach; nullptr until the panels exist.
    CommLogFeature *log() const { return log_.get(); }
    CapturesFeature *graphs() const { return graphs_.get(); }
    TrendFeature *trend() const { return trend_.get(); }
    ReportFeature *report() const { return report_.get(); }
    VideoSignalFeature *videoSignal() const { return videoSignal_.get(); }
    FinderFeature *finder() const { return finder_.get(); }
    HistoryFeature *history() const { return history_.get(); }

  private:
    void build();
    void buildHistory();

    Options options_;
    CoreEvents core_;
    SerialEvents serial_; // the serial tap, set once for every feature
    // The features, built once the panels exist, each from those before it; they go in the
    // reverse order, each while those it uses are still whole.
    std::unique_ptr<MenuBar> menus_;
    std::unique_ptr<CommLogFeature> log_;
    std::unique_ptr<CompareFeature> compare_;
    std::unique_ptr<HistoryFeature> history_;
    std::unique_ptr<CapturesFeature> graphs_;
    std::unique_ptr<TrendFeature> trend_;
    std::unique_ptr<PortsFeature> ports_;
    std::unique_ptr<VideoSignalFeature> videoSignal_;
    std::unique_ptr<FinderFeature> finder_;
    std::unique_ptr<SessionsFeature> sessions_;
    std::unique_ptr<ReportFeature> report_;
    std::unique_ptr<QuitSignals> quit_;
    std::unique_ptr<WindowMemory> memory_;
};
