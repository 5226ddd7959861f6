// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/compare/compare_feature.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"
#include "workbench/compare/compare_window.h"
#include "workbench/shared/menu_bar.h"
#include "workbench/shared/menu_items.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QMenu>

namespace {

constexpr int kBatchMs = 50;

// Connects whatever signal the control's kind raises on a change, by the user or from code.
void onChange(QWidget *control, QObject *receiver, const std::function<void()> &f) {
    if (auto *n = qobject_cast<QDoubleSpinBox *>(control))
        QObject::connect(n, &QDoubleSpinBox::valueChanged, receiver, f);
    else if (auto *c = qobject_cast<QComboBox *>(control))
        QObject::connect(c, &QComboBox::currentIndexChanged, receiver, f);
    else if (auto *b = qobject_cast<QAbstractButton *>(control))
        QObject::connect(b, &QAbstractButton::toggled, receiver, f);
    else if (auto *s = control->findChild<QAbstractSlider *>())
        QObject::connect(s, &QAbstractSlider::valueChanged, receiver, f);
}

} // namespace

CompareFeature::CompareFeature(CoreEvents &core, MenuBar &menus)
    : places_(core), sendTooltip_([this] { return overwrite(); }) {
    batch_.setSingleShot(true);
    batch_.setInterval(kBatchMs);
    connect(&batch_, &QTimer::timeout, this, &CompareFeature::refresh);
    connect(&places_, &ParameterPlaces::changed, this, &CompareFeature::schedule);
    connect(&core, &CoreEvents::ending, &batch_, &QTimer::stop);
    watchControls();

    QAction *action =
        AddMenuItem(menus.view(), QStringLiteral("Compare parameter &sets"),
                    QStringLiteral("Compare parameter sets"), QKeySequence(Qt::CTRL | Qt::Key_K));
    action->setShortcutContext(Qt::ApplicationShortcut);
    connect(action, &QAction::triggered, this, &CompareFeature::showWindow);
    refresh();
}

// The window shows the places and markers that go with this feature.
CompareFeature::~CompareFeature() {
    delete window_;
}

void CompareFeature::watchControls() {
    for (int w = 0; w < PNUM; ++w) {
        const ToolWordControl bound = ToolControlOfWord(w);
        if (QWidget *control = rtControlWidget(bound.panel, bound.control))
            onChange(control, this, [this] { schedule(); });
    }
    for (ToolPlace place : {ToolPlace::RamChoice, ToolPlace::EepromChoice, ToolPlace::FileChoice}) {
        if (QWidget *button = rtControlWidget(ToolMainPanel(), ToolControl(place)))
            onChange(button, this, [this] { schedule(); });
    }
}

void CompareFeature::schedule() {
    if (!batch_.isActive())
        batch_.start();
}

void CompareFeature::refresh() {
    ToolPanelWords(panels_.data());
    markers_.update(panels_, places_.reference());
    sendTooltip_.update();
    if (window_ && window_->isVisible())
        window_->refresh(panels_, overwrite(), kept_, outsideLines());
}

Overwrite CompareFeature::overwrite() const {
    return OverwriteOf(ToolStorageTarget(), panels_, places_);
}

QList<const PlacedSet *> CompareFeature::comparedFiles() const {
    static const QList<PlacedSet> none;
    return ComparedFiles(places_.files(), window_ ? window_->viewedFiles() : none);
}

CompareWindow *CompareFeature::showWindow() {
    if (!window_) {
        window_ = new CompareWindow(places_, rtPanelWidget(ToolMainPanel()));
        connect(window_, &CompareWindow::refreshWanted, this, &CompareFeature::refresh);
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    return window_;
}

void CompareFeature::setOutsideLines(const QString &key, const QStringList &lines) {
    outside_[key] = lines;
    schedule();
}

QStringList CompareFeature::outsideLines() const {
    QStringList lines;
    for (const QStringList &some : outside_)
        for (const QString &line : some)
            if (!line.isEmpty())
                lines << line;
    return lines;
}

void CompareFeature::showKeptSets(const QList<KeptSet> &sets) {
    kept_ = sets;
    schedule();
}
