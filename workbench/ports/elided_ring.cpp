// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/ports/elided_ring.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {

// Paints the ring as QComboBox does, with the label's text elided to the room it has.
class ElidingPainter : public QObject {
  public:
    explicit ElidingPainter(QComboBox *ring) : QObject(ring), ring_(ring) {}

  protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() != QEvent::Paint || ring_->isEditable())
            return false;
        QStylePainter painter(ring_);
        painter.setPen(ring_->palette().color(QPalette::Text));
        QStyleOptionComboBox option;
        option.initFrom(ring_);
        option.frame = ring_->hasFrame();
        if (ring_->hasFocus())
            option.state |= QStyle::State_Selected;
        if (ring_->view()->isVisible())
            option.state |= QStyle::State_On;
        option.subControls = QStyle::SC_All;
        option.currentIcon = ring_->itemIcon(ring_->currentIndex());
        option.iconSize = ring_->iconSize();
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect field = ring_->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxEditField, ring_);
        const int iconRoom = option.currentIcon.isNull() ? 0 : option.iconSize.width() + 4;
        option.currentText = ring_->fontMetrics().elidedText(ring_->currentText(), Qt::ElideRight,
                                                             field.width() - iconRoom - 2);
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
        return true;
    }

  private:
    QComboBox *ring_;
};

} // namespace

void ElideRingText(QComboBox *ring) {
    ring->installEventFilter(new ElidingPainter(ring));
}
