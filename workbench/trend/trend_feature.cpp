// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/trend/trend_feature.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"
#include "workbench/adapters/core_events.h"
#include "workbench/shared/menu_bar.h"
#include "workbench/shared/menu_items.h"
#include "workbench/shared/save_dialog.h"
#include "workbench/shared/status_tip.h"
#include "workbench/trend/recording_window.h"
#include "workbench/trend/trend_window.h"

#include <QAction>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QMenu>
#include <cstdio>

TrendFeature::TrendFeature(CoreEvents &core, MenuBar &menus, const QString &recordPath) {
    QAction *show = AddMenuItem(menus.view(), QStringLiteral("Live &trend"),
                                QStringLiteral("Live trend"), QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(show, &QAction::triggered, this, [this] {
        window()->show();
        window()->raise();
        window()->activateWindow();
    });
    record_ = AddMenuItem(menus.file(), QStringLiteral("&Record live frames…"),
                          QStringLiteral("Record live frames"));
    record_->setCheckable(true);
    connect(record_, &QAction::triggered, this, [this](bool on) {
        if (on)
            askRecordingPath();
        else
            recorder_.stop();
    });
    // Beside the item that writes recordings: a recording is no session, and it opens in a
    // trend window, not in a log.
    connect(AddMenuItem(menus.file(), QStringLiteral("Open re&cording…"),
                        QStringLiteral("Open recording")),
            &QAction::triggered, this, [] {
                QWidget *main = rtPanelWidget(ToolMainPanel());
                AskOpenPath(main, QStringLiteral("Open a recording of live frames"), QString(),
                            QStringLiteral("Recordings of live frames (*.csv);;All files (*)"),
                            [main](const QString &path) { OpenRecordingWindow(path, main); });
            });
    connect(&recorder_, &LiveRecorder::started, this, &TrendFeature::recordingStarted);
    connect(&recorder_, &LiveRecorder::stopped, this, &TrendFeature::recordingStopped);
    connect(&core, &CoreEvents::liveFrame, this, &TrendFeature::takeFrame);
    connect(&core, &CoreEvents::ending, &recorder_, &LiveRecorder::stop);
    if (!recordPath.isEmpty()) {
        recorder_.startWithNextFrame(recordPath);
        recordingText_ =
            QStringLiteral("The recording to %1 starts with the first live frame.").arg(recordPath);
    }
}

TrendFeature::~TrendFeature() {
    delete window_;
}

TrendWindow *TrendFeature::window() {
    if (!window_) {
        window_ = new TrendWindow(store_, record_, rtPanelWidget(ToolMainPanel()));
        window_->setRecordingText(recordingText_);
    }
    return window_;
}

void TrendFeature::takeFrame(const QVector<quint16> &words, const LiveValues &values) {
    const Millis wallMs = QDateTime::currentMSecsSinceEpoch();
    store_.append(QDeadlineTimer::current().deadline(), wallMs, values);
    recorder_.append(wallMs, words.constData(), values);
    if (window_)
        window_->frameArrived();
}

// The action stays off until the file is open.
void TrendFeature::askRecordingPath() {
    record_->setChecked(false);
    AskSavePath(rtPanelWidget(ToolMainPanel()), QStringLiteral("Record live frames"),
                TimedFileName(QStringLiteral("live-frames"), QDateTime::currentDateTime(),
                              QStringLiteral("csv")),
                QStringLiteral("CSV files (*.csv)"), [this](const QString &path) {
                    QString error;
                    if (!recorder_.start(path, &error))
                        recordingStopped(error);
                });
}

void TrendFeature::recordingStarted(const QString &path) {
    record_->setChecked(true);
    recordingText_ = QStringLiteral("Recording every live frame to %1").arg(path);
    if (window_)
        window_->setRecordingText(recordingText_);
}

void TrendFeature::recordingStopped(const QString &failure) {
    record_->setChecked(false);
    recordingText_ = failure.isEmpty() ? QStringLiteral("Recorded %1 frames to %2")
                                             .arg(recorder_.rowsWritten())
                                             .arg(recorder_.path())
                                       : failure;
    if (window_)
        window_->setRecordingText(recordingText_);
    // Told without a box: a box during Run would wait for a click, and an unattended run
    // would never end.
    SetStatusTipLines("recording", failure.isEmpty() ? QStringList() : QStringList{failure});
    if (!failure.isEmpty())
        std::fprintf(stderr, "rmox-sensor-tool: %s\n", qPrintable(failure));
}
