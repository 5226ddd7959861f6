// SPDX-License-Identifier: GPL-3.0-or-later
#include "tool_process.h"

#include <QCoreApplication>

QString ToolExecutable() {
    return QCoreApplication::applicationDirPath() + "/../VidaREZezad11";
}

QProcessEnvironment OffscreenEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    return environment;
}

void StartTool(QProcess &tool, const QStringList &arguments,
               const QProcessEnvironment &environment) {
    tool.setProcessEnvironment(environment);
    tool.start(ToolExecutable(), arguments);
}
