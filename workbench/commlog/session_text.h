// SPDX-License-Identifier: GPL-3.0-or-later
// The communication log as a session file: every row with all it holds (the bytes in both
// directions, when each piece of them came, marks, port events, status texts), one line each,
// under a header that names the tool, the port and the adapter. Plain text, readable as it is
// and read back by ReadSession; README, "The session file", describes it.
#pragma once

#include "workbench/commlog/comm_row.h"

#include <QString>

class CommLog;

// The format this version writes; it reads this one and older files.
constexpr int kSessionFormat = 2;
// The first line of a session file, up to the format number.
inline constexpr char kSessionMagic[] = "# rmox-sensor-tool session log, format ";

// The header: the format, the tool's version, when the log started, the port in use with its
// device and adapter (what the system says of the device), the columns.
QString SessionHeader(const CommLog &log);
// One row as a line, without its line end.
QString SessionLine(const CommLog &log, const CommRow &row);

// The kind of a row as the file names it, and back (false for an unknown name).
QString KindName(RowKind kind);
bool KindOfName(QStringView name, RowKind *kind);
