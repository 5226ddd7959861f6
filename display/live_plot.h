// SPDX-License-Identifier: GPL-3.0-or-later
// The live picture: one live frame from the sensor drawn on the main graph and shown on the
// five live indicators, in pixels or micrometres.
#pragma once

// The words of a live frame that the picture reads.
constexpr int kLiveFrameWords = 9;

void PlotRAWValues();
