// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/shared/simulator_path.h"

#include <QCoreApplication>
#include <QFileInfo>

QString SimulatorPath() {
    const QString beside =
        QCoreApplication::applicationDirPath() + QStringLiteral("/rmox-sensor-sim");
    return QFileInfo(beside).isExecutable() ? beside : QStringLiteral("rmox-sensor-sim");
}
