// Where things lie on the two graphs: the line's positions in pixel units, the CCD window,
// and the heights of the main graph's bands, zones and cursors.
#pragma once

constexpr int kLineEnd = 1024;    // the main graph spans positions 0 to 1024
constexpr int kWindowWidth = 256; // a CCD window covers 256 pixels
constexpr int kLastWindowStart = kLineEnd - kWindowWidth;
constexpr int kWindowLastOffset = kWindowWidth - 1; // last pixel of a window from its first

constexpr double kBandTop = 0.25;     // green tolerance bands: 0.0 to 0.25
constexpr double kZoneTop = 1.0;      // red edge zones: 0.25 to 1.0
constexpr double kLiveCursorY = 0.75; // cursors placed by a live frame
constexpr double kMarkerY = 1.0;      // cursors placed outside live plotting

constexpr double kVideoLevelMax = 1023.0; // the video graph's vertical axis: 0 to 1023
