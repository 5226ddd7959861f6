// SPDX-License-Identifier: GPL-3.0-or-later
// The tool as a process of its own, for tests of its command line, its start-up and its end.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The tool's executable, built one folder above the tests.
QString ToolExecutable();
// This process's environment with the offscreen platform, on which the tool runs in tests.
QProcessEnvironment OffscreenEnvironment();
// Starts the tool with `arguments` in `environment`.
void StartTool(QProcess &tool, const QStringList &arguments,
               const QProcessEnvironment &environment = OffscreenEnvironment());
