// SPDX-License-Identifier: GPL-3.0-or-later
// Heights on the two graphs: the main graph's bands, zones and cursors, and the video graph's
// vertical axis. Positions along the line are the parameters' (params/params.h).
#pragma once

#include "params/params.h"

constexpr double kBandTop = 0.25;     // green tolerance bands: 0.0 to 0.25
constexpr double kZoneTop = 1.0;      // red edge zones: 0.25 to 1.0
constexpr double kLiveCursorY = 0.75; // cursors placed by a live frame
constexpr double kMarkerY = 1.0;      // cursors placed outside live plotting

constexpr double kVideoLevelMax = 1023.0; // the video graph's vertical axis: 0 to 1023
