// SPDX-License-Identifier: GPL-3.0-or-later
// The sixteen words of the parameter set as the workbench describes them: a short name for
// tables and tooltips, what the word does, its unit and the values the tool accepts for it.
#pragma once

#include "state/sizes.h"

#include <array>

struct ParameterInfo {
    const char *name;
    const char *meaning;
    const char *unit; // empty for switches and modes
    unsigned short min;
    unsigned short max;
};

// Indexed by packet word.
extern const std::array<ParameterInfo, PNUM> kParameterTable;

// A parameter set in packet order.
using ParameterWords = std::array<unsigned short, PNUM>;
