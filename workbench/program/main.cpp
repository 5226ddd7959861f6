// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry: the command line first (help and version need no display), then the
// tool itself with the workbench listening.
#include "app/VidaREZezad11.h"
#include "runtime/runtime_qt.h"
#include "workbench/program/find_command.h"
#include "workbench/program/options.h"
#include "workbench/program/workbench.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char **argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

void print(const ParseResult &r) {
    std::fputs(qPrintable(r.text), r.toStandardError ? stderr : stdout);
}

} // namespace

int main(int argc, char **argv) {
    const ParseResult parsed = ParseCommandLine(argumentsOf(argc, argv));
    if (!parsed.proceed) {
        print(parsed);
        return parsed.exitCode;
    }
    if (parsed.options.find) {
        // Lock files name the program that took them: an application object gives the name.
        const QCoreApplication app(argc, argv);
        return RunFindCommand(parsed.options);
    }
    // The application object comes before the workbench and goes after it: the workbench's
    // last work (the log file's final rows, after the port's close) still needs it. The core's
    // start-up finds it in place.
    const std::unique_ptr<QApplication> app = rtMakeApplication(argc, argv);
    if (!app)
        return -1;
    Workbench workbench(parsed.options);
    return WinMain(argc, argv);
}
