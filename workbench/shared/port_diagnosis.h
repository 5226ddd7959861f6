// SPDX-License-Identifier: GPL-3.0-or-later
// Why a serial device could not be opened, and what a technician does about it. The system
// error of the failed open is only a hint (a lock refused by the serial layer reads as a
// permission error): the device node, the processes that hold it open and the lock files
// left in the lock folders decide.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct PortDiagnosis {
    enum Kind { Missing, Busy, LockLeftBehind, Permission, Other };
    Kind kind = Other;
    QString finding; // "/dev/ttyUSB0 is held open by ModemManager (pid 612)"
    QString remedy;  // "sudo systemctl stop ModemManager"
};

struct Holder {
    qint64 pid = 0;
    QString name;
    // It also holds the master side of the pseudo-terminal: the program behind the device
    // (the simulated sensor, a bridge), which the user means to reach, not one in the way.
    bool behind = false;
};

// Where the system's facts are read: a test points these at a tree of its own.
struct SystemFolders {
    QString proc = QStringLiteral("/proc");
    QStringList locks = {QStringLiteral("/run/lock"), QStringLiteral("/var/lock"),
                         QStringLiteral("/tmp")};
};

PortDiagnosis DiagnoseOpenFailure(const QString &device, int systemError, const QString &errorText,
                                  const SystemFolders &folders = {});

// A process in the way of opening `device`: the live owner of a lock file that names it, or a
// process that holds it open (the program behind a pseudo-terminal is not in the way). Lock
// files whose owner no longer runs are added to `leftBehind`.
std::optional<PortDiagnosis> DiagnoseInTheWay(const QString &device,
                                              const SystemFolders &folders = {},
                                              QStringList *leftBehind = nullptr);

// The processes (other than this one) that have `device`'s node open, in the order of `proc`.
QList<Holder> HoldersOf(const QString &device, const QString &proc);
// The lock files that name `device`, by the names serial programs give them (LCK..ttyUSB0).
QStringList LockFilesOf(const QString &device, const QStringList &lockFolders);
