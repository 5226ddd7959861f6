// SPDX-License-Identifier: GPL-3.0-or-later
// The panel refresh after every Get: the variables, range-checked, shown on both panels with
// the graphs that follow them.
#pragma once

void SetPanelValues();
