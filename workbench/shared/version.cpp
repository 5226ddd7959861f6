// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/shared/version.h"

QString VersionLine() {
    return QStringLiteral("rmox-sensor-tool " RMOX_VERSION);
}
