// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the video signal analysis: one analysis of a signal (target below 1 ms), one redraw
// of the analysis window over 10 minutes of signals, and the tool's CPU during a paced Data run
// against the simulator with the window shown and hidden (target: the window costs below 0.3 %
// of a core).
#include "ops/run_stop.h"
#include "ops/video_capture.h"
#include "sim/measurement.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/cpu_time.h"
#include "support/sim_process.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"
#include "workbench/program/workbench.h"
#include "workbench/videosignal/signal_window.h"
#include "workbench/videosignal/videosignal_feature.h"
#include "workbench/videosignal/waterfall_view.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <vector>

namespace {

constexpr int kDataSeconds = 20;

// Lines of the simulator's scene on the whole line, with its noise, the object drifting.
std::vector<VideoSnapshot> sceneSignals(int count, double secondsApart) {
    sim::Scene scene(7);
    sim::SceneConditions conditions;
    conditions.readNoise = 8;
    conditions.lightDriftPercent = 15;
    scene.setConditions(conditions);
    sim::Random noise(7);
    sim::Words ram{};
    std::vector<VideoSnapshot> lines(static_cast<std::size_t>(count));
    for (VideoSnapshot &s : lines) {
        s.samples = sim::captureVideo(scene, ram, noise);
        for (int i = 0; i < kVideoSamples; ++i)
            s.positions[std::size_t(i)] = std::uint16_t(4 * i);
        s.thresholds.fill(480);
        scene.advance(secondsApart);
    }
    return lines;
}

// The tool's CPU share during a paced Data run, and the signals it read a second.
struct DataRun {
    double cpuShare;
    double signalsPerSecond;
};

DataRun dataRun(VideoSignalFeature &feature) {
    SimProcess sim({"--noise", "8", "--light-drift", "15"});
    if (!sim.isRunning()) {
        std::fprintf(stderr, "%s\n", qPrintable(sim.errorString()));
        std::exit(2);
    }
    toolprobe::attach(sim.devicePath());
    const qint64 revision = feature.history().revision();
    QTimer::singleShot(kDataSeconds * 1000, ClickStop);
    QElapsedTimer wall;
    wall.start();
    const double cpu = CpuSeconds();
    CC_BTNData(panelHandle, MAIN_DATA, EVENT_COMMIT, nullptr, 0, 0);
    const double seconds = double(wall.elapsed()) / 1000.0;
    const double used = CpuSeconds() - cpu;
    CloseCom(com);
    return {used / seconds, double(feature.history().revision() - revision) / seconds};
}

} // namespace

int main(int argc, char **argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is measured
    QApplication app(argc, argv);
    QDir::setCurrent(QCoreApplication::applicationDirPath() + "/..");

    // One analysis.
    const std::vector<VideoSnapshot> lines = sceneSignals(1800 + 120, 1.0 / 3.0);
    QElapsedTimer timer;
    timer.start();
    int crossings = 0;
    constexpr int kRounds = 10;
    for (int round = 0; round < kRounds; ++round)
        for (const VideoSnapshot &s : lines)
            crossings += int(AnalyseSignal(s).crossings.size());
    const double analysisUs =
        double(timer.nsecsElapsed()) / 1000.0 / double(kRounds * lines.size());
    std::printf("one analysis: %.1f µs (target below 1000 µs; %d crossings found)\n", analysisUs,
                crossings);

    // One redraw over 10 minutes of signals at three a second.
    SignalHistory history;
    for (std::size_t i = 0; i < lines.size(); ++i)
        history.append(qint64(i) * 333, qint64(i) * 333, lines[i], AnalyseSignal(lines[i]));
    {
        SignalWindow window(history, nullptr);
        window.show();
        QCoreApplication::processEvents();
        // As during Data: three signals more, the figures renewed and the waterfall painted;
        // then the waterfall painted alone.
        constexpr int kRedraws = 40;
        qint64 figuresNs = 0, waterfallNs = 0;
        for (int i = 0; i < kRedraws; ++i) {
            for (int k = 0; k < 3; ++k) {
                const std::size_t n = std::size_t(i * 3 + k);
                history.append(qint64(lines.size() + n) * 333, qint64(lines.size() + n) * 333,
                               lines[n], AnalyseSignal(lines[n]));
            }
            timer.restart();
            window.refresh();
            QCoreApplication::processEvents();
            const qint64 both = timer.nsecsElapsed();
            timer.restart();
            window.waterfall()->repaint();
            waterfallNs += timer.nsecsElapsed();
            figuresNs += both;
        }
        figuresNs -= waterfallNs;
        const double figuresMs = double(figuresNs) / 1e6 / kRedraws;
        const double waterfallMs = double(waterfallNs) / 1e6 / kRedraws;
        std::printf("window over 10 minutes of signals: figures renewed %.2f ms, waterfall "
                    "painted %.2f ms, so %.2f%% of a core at a renewal a second and the "
                    "waterfall every other one\n",
                    figuresMs, waterfallMs, (figuresMs + waterfallMs / 2) / 10);
    }

    // A paced Data run with the window shown and with it hidden.
    Workbench workbench{Options{}};
    if (!StartToolPanels())
        return 2;
    DisplayPanel(panelHandle);
    VideoSignalFeature &feature = *workbench.videoSignal();
    std::printf("%-22s %12s %12s\n", "paced Data, 20 s", "tool CPU", "signals/s");
    double shown = 0, hidden = 0;
    for (int run = 0; run < 2; ++run) {
        feature.window()->show();
        const DataRun withWindow = dataRun(feature);
        feature.window()->hide();
        const DataRun without = dataRun(feature);
        std::printf("%-22s %11.2f%% %12.2f\n", "window shown", 100 * withWindow.cpuShare,
                    withWindow.signalsPerSecond);
        std::printf("%-22s %11.2f%% %12.2f\n", "window hidden", 100 * without.cpuShare,
                    without.signalsPerSecond);
        shown += withWindow.cpuShare / 2;
        hidden += without.cpuShare / 2;
    }
    std::printf("the window shown costs %.2f%% of a core (target below 0.3%%)\n",
                100 * (shown - hidden));
    StopToolPanels();
    return 0;
}
