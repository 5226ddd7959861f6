// SPDX-License-Identifier: GPL-3.0-or-later
// Where a panel window opens the first time it is displayed.
#pragma once

#include <QList>
#include <QRect>

class QWidget;

// Sizes `panel` to show all its controls and moves it onto its screen. A child panel whose
// parent window is visible opens beside that window (right, else left, else below) where it
// fits on the screen; where nothing fits, it goes where it hides the fewest of `parentControls`
// (the parent's controls, global rectangles). Any other panel opens centred on its screen.
void rtPlacePanel(QWidget *panel, const QList<QRect> &parentControls);
