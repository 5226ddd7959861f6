// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a recording of live frames (File → Record live frames…, --record) back into a trend
// store, row by row, so that a recording of any length takes the store's bounded memory. A file
// whose first line is not the recording's header is refused; one that is cut short or holds a
// damaged row is read up to the row before it, and `problem` says at which line reading stopped.
#pragma once

#include "workbench/trend/trend_store.h"

#include <QString>
#include <cstdint>

class QIODevice;

struct RecordingFile {
    std::int64_t rows = 0; // rows taken into the store
    // The unit to show the rows in: theirs, or pixels when the unit switch changed during the
    // recording (every row's words give its values in pixels).
    Unit unit = Unit::Pixels;
    bool unitChanged = false;
    bool refused = false; // nothing was read
    QString problem;      // why it was refused or where reading stopped; empty if whole
};

// Frames are placed by their wall-clock time; a row whose time goes back (the clock was set
// back) comes at the time of the row before it, as the live trend takes a late frame.
RecordingFile ReadRecording(QIODevice &file, TrendStore &store);
