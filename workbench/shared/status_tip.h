// SPDX-License-Identifier: GPL-3.0-or-later
// The status line's tool tip: its own text, then what the workbench's features have to tell
// beside the status (a port's diagnosis, a recording that stopped), each feature's lines
// under a key of its own, so that one feature's news never wipes out another's.
#pragma once

#include <QString>
#include <QStringList>

// Sets the lines of `key`; none remove them.
void SetStatusTipLines(const char *key, const QStringList &lines);
