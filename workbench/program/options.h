// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: GNU-style options parsed with QCommandLineParser. Qt's own options
// (-platform, -display, ...) are left for the application object.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

struct Options {
    QMap<int, QString> ports; // --port N=DEVICE: port number -> device path
    QString recordPath;       // --record FILE: record live frames from the first one
    QString logPath;          // --log FILE: the communication log, written as the tool runs
    QString reportPath;       // --report FILE: the service report, written when the tool ends
    bool find = false;        // --find: search the ports for a sensor, print, exit
    QString historyDb;        // --history-db: a SQLite file or postgresql:// URL; empty: default
};

// What parsing asks of main: go on with the run, or end at once with `exitCode` after
// printing `text` (help, version, or an error) on standard output or standard error.
struct ParseResult {
    bool proceed = true;
    int exitCode = 0;
    QString text;
    bool toStandardError = false;
    Options options;
};

ParseResult ParseCommandLine(const QStringList &arguments);
