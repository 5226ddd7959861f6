// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/adapters/parameter_table.h"

const std::array<ParameterInfo, PNUM> kParameterTable = {{
    {"Power", "power setting", "", 0, 1000},
    {"Power mode", "0 fixed, 1 automatic", "", 0, 1},
    {"Video threshold", "intensity level drawn across the video signal", "level", 0, 1023},
    {"Background value", "fixed background level, used in background mode 1", "level", 0, 1023},
    {"Polarity", "0 negative, 1 positive", "", 0, 1},
    {"Evaluation mode", "which measured value the live plot takes", "", 0, 3},
    {"Left edge", "left edge of the evaluation window", "pixel", 0, 1024},
    {"Right edge", "right edge of the evaluation window", "pixel", 0, 1024},
    {"Teach value", "set point: centre of the tolerance band (mode 2: distance of the bands)",
     "pixel", 0, 1024},
    {"Tolerance", "half width of the tolerance band (mode 2: width of each band)", "pixel", 0, 512},
    {"Gain", "0 normal, 1 high", "", 0, 1},
    {"Tolerance enable", "1 locks the tolerance field", "", 0, 1},
    {"CCD mode", "0 whole line, 1 window at the first pixel, 2 window set by the sensor", "", 0, 2},
    {"First pixel", "first pixel of the window in CCD mode 1", "pixel", 0, 1023},
    {"Background mode", "0 none, 1 fixed level, 2 taught", "", 0, 2},
    {"Scale factor", "scale factor for evaluation mode 2; 1000 is 1.000", "thousandths", 800, 1200},
}};
