// SPDX-License-Identifier: GPL-3.0-or-later
// Find sensor from the command line and the devices a search looks at: every port of the
// Port ring that names a device.
#pragma once

#include "workbench/finder/device_search.h"
#include "workbench/program/options.h"

class PortTable;
struct DeviceScan;

QList<SearchTarget> RingTargets(const PortTable &table, const DeviceScan &scan);

// --find: searches the ring's devices (with the options' ports), prints one line per device
// and a last line on standard output; returns the exit code: 0 when a sensor answered, 1 when
// none did.
int RunFindCommand(const Options &options);
