// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/finder/finder_feature.h"

#include "app/tool_api.h"
#include "link/protocol.h"
#include "runtime/app_busy.h"
#include "runtime/runtime_qt.h"
#include "workbench/finder/finder_window.h"
#include "workbench/finder/sensor_probe.h"
#include "workbench/shared/menu_bar.h"
#include "workbench/shared/menu_items.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QMenu>
#include <QPushButton>

namespace {

bool operationRuns() {
    return rtApplicationBusy() || ToolMeasuring();
}

bool sameDevice(const QString &a, const QString &b) {
    const QString nodeA = QFileInfo(a).canonicalFilePath();
    return !nodeA.isEmpty() && nodeA == QFileInfo(b).canonicalFilePath();
}

} // namespace

FinderFeature::FinderFeature(CoreEvents &core, SerialEvents &serial, MenuBar &menus,
                             std::function<QList<SearchTarget>()> targets)
    : targets_(std::move(targets)), checks_(core, serial),
      window_(new FinderWindow(rtPanelWidget(ToolMainPanel()), &model_)),
      action_(AddMenuItem(menus.file(), QStringLiteral("&Find sensor\u2026"),
                          QStringLiteral("Find sensor"))) {
    connect(action_, &QAction::triggered, this, &FinderFeature::start);
    auto *ring = rtControlWidget(ToolMainPanel(), ToolControl(ToolPlace::PortRing));
    if (auto *grid = qobject_cast<QGridLayout *>(ring->parentWidget()->layout())) {
        button_ = new QPushButton(QStringLiteral("Find\u2026"));
        button_->setObjectName(QStringLiteral("Find sensor button"));
        button_->setAccessibleName(QStringLiteral("Find sensor"));
        button_->setToolTip(QStringLiteral("Find sensor: look for a sensor on every port of the "
                                           "ring and say why a line does not answer"));
        button_->setAutoDefault(false);
        grid->addWidget(button_, 0, grid->columnCount());
        connect(button_, &QPushButton::clicked, this, &FinderFeature::start);
    }
    connect(window_, &FinderWindow::searchAsked, this, &FinderFeature::start);
    connect(window_, &FinderWindow::cancelAsked, this, &FinderFeature::cancel);
    connect(window_, &FinderWindow::rowClicked, this, &FinderFeature::pick);
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &FinderFeature::poll);
    idle_.setInterval(kIdleCheckMs);
    connect(&idle_, &QTimer::timeout, this, &FinderFeature::followOperations);
    idle_.start();
}

FinderFeature::~FinderFeature() {
    delete window_;
}

void FinderFeature::followOperations() {
    const bool allowed = !operationRuns() && !search_;
    action_->setEnabled(allowed);
    if (button_)
        button_->setEnabled(allowed);
    if (window_)
        window_->allowSearch(allowed);
}

ProbeFinding FinderFeature::inUseFinding() const {
    const LineCheckWatch::Verdict &v = checks_.last();
    if (!v.port)
        return {ProbeFinding::InUse,
                QStringLiteral("the tool has this port open and left it alone; no echo check "
                               "was seen on it since it opened"),
                {}};
    const LineDiagnosis &d = v.diagnosis;
    if (d.kind == LineDiagnosis::Answered && v.replyNs >= 0)
        return {ProbeFinding::InUse,
                QStringLiteral("the tool has this port open and left it alone; its sensor "
                               "answered the tool's own echo check after %1 ms")
                    .arg(double(v.replyNs) / 1e6, 0, 'f', 1),
                {},
                double(v.replyNs) / 1e6};
    return {ProbeFinding::InUse,
            QStringLiteral("the tool has this port open and left it alone; at the tool's own "
                           "echo check %1")
                .arg(d.finding),
            d.remedy};
}

void FinderFeature::start() {
    window_->show();
    window_->raise();
    if (search_)
        return;
    if (operationRuns()) {
        window_->showEnded(QStringLiteral("Not searched: an operation of the tool runs. Search "
                                          "again once it has ended."));
        return;
    }
    QList<SearchTarget> targets = targets_();
    for (SearchTarget &t : targets)
        if (checks_.openPort() &&
            (t.port == checks_.openPort() || sameDevice(t.path, checks_.openDevice()))) {
            t.inUse = true;
            t.known = inUseFinding();
        }
    unsigned short words[kFrameDataWords] = {};
    ToolPanelWords(words);
    model_.setTargets(targets);
    shown_ = QList<bool>(targets.size(), false);
    clock_.start();
    search_ = std::make_unique<DeviceSearch>(targets, EchoFrame(words));
    followOperations();
    window_->showRunning(0, int(targets.size()));
    poll();
    poll_.start();
}

void FinderFeature::poll() {
    if (!search_)
        return;
    search_->wait(0);
    // Taken before the rows are, so that a probe ending meanwhile still gets its row.
    const bool finished = search_->finished();
    for (int i = 0; i < shown_.size(); ++i)
        if (!shown_[i] && search_->done(i)) {
            shown_[i] = true;
            model_.setFinding(i, search_->finding(i));
        }
    if (!finished) {
        window_->showRunning(search_->doneCount(), int(shown_.size()));
        return;
    }
    QStringList answered;
    bool inUseAnswered = false; // under its own number, or another that names the same device
    for (int i = 0; i < shown_.size(); ++i) {
        const ProbeFinding f = search_->finding(i);
        if (f.kind == ProbeFinding::Answered)
            answered << QString::number(search_->targets()[i].port);
        inUseAnswered = inUseAnswered || (f.kind == ProbeFinding::InUse && f.answered());
    }
    const QString inUse =
        inUseAnswered
            ? QStringLiteral("; port %1, which the tool uses, answered its own echo check")
                  .arg(checks_.openPort())
            : QString();
    const QString took = QStringLiteral("%1 devices in %2 s: ")
                             .arg(shown_.size())
                             .arg(double(clock_.elapsed()) / 1000, 0, 'f', 2);
    end(took +
        (answered.isEmpty()
             ? QString(inUse.isEmpty() ? "no sensor answered" : "no other sensor answered")
             : QStringLiteral("a sensor answered on %1 %2")
                   .arg(answered.size() == 1 ? "port" : "ports",
                        answered.join(QStringLiteral(", ")))) +
        inUse + '.');
}

void FinderFeature::cancel() {
    if (!search_)
        return;
    search_->cancel();
    for (int i = 0; i < shown_.size(); ++i)
        if (!shown_[i])
            model_.setFinding(i, search_->finding(i));
    end(QStringLiteral("Cancelled after %1 s.").arg(double(clock_.elapsed()) / 1000, 0, 'f', 2));
}

void FinderFeature::end(const QString &text) {
    poll_.stop();
    search_.reset();
    window_->showEnded(text);
    followOperations();
    emit finished();
}

void FinderFeature::pick(int row) {
    const int port = model_.pickablePort(row);
    if (!port)
        return;
    ToolPickPort(port);
    window_->showEnded(QStringLiteral("Port %1 picked, as on the Port ring.").arg(port));
}
