// SPDX-License-Identifier: GPL-3.0-or-later
// The program's name and version, as the command line and the About box show them.
#pragma once

#include <QString>

QString VersionLine();
