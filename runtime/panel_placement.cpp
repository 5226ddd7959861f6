// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <array>

namespace {

constexpr int kGap = 8; // between a child panel and its parent

// `r` moved onto `area`; a rectangle larger than the area keeps its top-left corner on it.
QRect keptOn(QRect r, const QRect &area) {
    r.moveLeft(std::max(area.left(), std::min(r.left(), area.right() + 1 - r.width())));
    r.moveTop(std::max(area.top(), std::min(r.top(), area.bottom() + 1 - r.height())));
    return r;
}

qsizetype hiddenCount(const QRect &r, const QList<QRect> &controls) {
    return std::count_if(controls.begin(), controls.end(),
                         [&r](const QRect &control) { return r.intersects(control); });
}

// Where a window of outer size `size` goes beside the frame `parent`: right of it, else left,
// else below, each moved onto `area`; the first that hides the fewest of `parentControls`.
QRect besideParent(QSize size, const QRect &parent, const QRect &area,
                   const QList<QRect> &parentControls) {
    const std::array candidates{
        QRect(QPoint(parent.right() + 1 + kGap, parent.top()), size),
        QRect(QPoint(parent.left() - kGap - size.width(), parent.top()), size),
        QRect(QPoint(parent.left(), parent.bottom() + 1 + kGap), size),
    };
    QRect best;
    qsizetype fewest = -1;
    for (const QRect &candidate : candidates) {
        const QRect onScreen = keptOn(candidate, area);
        const qsizetype hidden = hiddenCount(onScreen, parentControls);
        if (fewest < 0 || hidden < fewest) {
            best = onScreen;
            fewest = hidden;
        }
    }
    return best;
}

// A window's frame is known only once it is shown; until then its parent's is the best guess.
QMargins frameMargins(const QWidget *w) {
    const QRect outer = w->frameGeometry();
    const QRect inner = w->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

} // namespace

void rtPlacePanel(QWidget *panel, const QList<QRect> &parentControls) {
    QWidget *parent = panel->parentWidget();
    const bool beside = parent && parent->isVisible();
    QScreen *screen = beside ? parent->screen() : panel->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QMargins frame = beside ? frameMargins(parent) : QMargins();
    const QSize size =
        panel->sizeHint().expandedTo(panel->minimumSize()).boundedTo(area.size().shrunkBy(frame));
    panel->resize(size);
    const QSize outer = size.grownBy(frame);
    // A window's position is that of its frame.
    if (beside)
        panel->move(besideParent(outer, parent->frameGeometry(), area, parentControls).topLeft());
    else
        panel->move(area.center() - QPoint(outer.width() / 2, outer.height() / 2));
}
