// SPDX-License-Identifier: GPL-3.0-or-later
// The live picture: one live frame from the sensor drawn on the main graph and shown on the
// five live indicators, in pixels or micrometres.
#pragma once

void PlotRAWValues();
