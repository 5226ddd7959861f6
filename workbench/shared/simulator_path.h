// SPDX-License-Identifier: GPL-3.0-or-later
// Where the simulated sensor is: built beside the tool, or installed in the search path.
#pragma once

#include <QString>

// The simulator beside this executable when there is one there, else its bare name.
QString SimulatorPath();
