// SPDX-License-Identifier: GPL-3.0-or-later
// A ring (combo box) narrower than its current text shows the text cut with "…" at the end
// instead of clipped in the middle of a letter; its tool tip should give the whole text.
#pragma once

class QComboBox;

void ElideRingText(QComboBox *ring);
