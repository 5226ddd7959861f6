// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/ports/port_ring.h"

#include "app/tool_api.h"
#include "workbench/ports/elided_ring.h"
#include "workbench/ports/other_device_dialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTimer>

namespace {

constexpr int kRingMinimumCharacters = 18;

} // namespace

PortRing::PortRing(QComboBox *ring) : QObject(ring), ring_(ring), toolTip_(ring->toolTip()) {
    // Long item texts must not widen the panel; the list opens as wide as they need.
    ring_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ring_->setMinimumContentsLength(kRingMinimumCharacters);
    ElideRingText(ring_);
    ring_->addItem(QString::fromUtf8(kOtherText));
    auto *model = qobject_cast<QStandardItemModel *>(ring_->model());
    QStandardItem *other = model->item(otherIndex());
    other->setFlags(other->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
    // Disabled, yet it must read as an offer, not as a dead item.
    other->setData(ring_->palette().brush(QPalette::Active, QPalette::Text), Qt::ForegroundRole);
    other->setData(QStringLiteral("Give the path of a device that is not listed"), Qt::ToolTipRole);
    ring_->view()->viewport()->installEventFilter(this);
    connect(ring_, &QComboBox::currentIndexChanged, this, &PortRing::showChoiceInToolTip);
    refresh();
}

// The ring is narrower than its texts: its tool tip shows the whole choice.
void PortRing::showChoiceInToolTip() {
    ring_->setToolTip(toolTip_ + QStringLiteral("\n\n") + ring_->currentText());
}

int PortRing::otherIndex() const {
    return ring_->count() - 1;
}

void PortRing::show(const DeviceScan &scan, int pulledOut) {
    scan_ = scan;
    pulledOut_ = pulledOut;
    if (!table_.addNew(scan_).isEmpty())
        emit numbered();
    refresh();
}

void PortRing::refresh() {
    const int current = ring_->currentIndex();
    while (otherIndex() < table_.count())
        ring_->insertItem(otherIndex(), QString());
    for (int port = 1; port <= table_.count(); ++port) {
        ring_->setItemText(port - 1, table_.itemText(port, scan_, pulledOut_));
        ring_->setItemData(port - 1, table_.itemDetails(port, scan_), Qt::ToolTipRole);
    }
    Q_ASSERT(ring_->currentIndex() == current);
    showChoiceInToolTip();
    ring_->view()->setMinimumWidth(ring_->view()->sizeHintForColumn(0) +
                                   ring_->view()->verticalScrollBar()->sizeHint().width());
}

void PortRing::askForDevice() {
    AskForDevicePath(ring_->window(), [this](const QString &path) { choose(path); });
}

void PortRing::choose(const QString &path) {
    const int before = table_.count();
    const int port = table_.add(path);
    scan_.watched[PortTable::pathOf(port)] = NodeOf(PortTable::pathOf(port));
    refresh();
    if (table_.count() != before)
        emit numbered();
    ToolPickPort(port);
}

bool PortRing::eventFilter(QObject *, QEvent *event) {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (ring_->view()->indexAt(mouse->position().toPoint()).row() != otherIndex())
        return false;
    if (event->type() == QEvent::MouseButtonRelease) {
        ring_->hidePopup();
        QTimer::singleShot(0, this, &PortRing::askForDevice);
    }
    return true;
}
