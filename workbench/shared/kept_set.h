// SPDX-License-Identifier: GPL-3.0-or-later
// A parameter set kept from an earlier moment (a past visit, a backup), as one feature hands
// it to another to be shown beside the sets the tool knows now.
#pragma once

#include "workbench/adapters/parameter_table.h"

#include <QString>

struct KeptSet {
    QString title; // e.g. "EEPROM, 8 Dec 2026 12:01"
    QString state; // e.g. "sent, verified"
    ParameterWords words{};
};
