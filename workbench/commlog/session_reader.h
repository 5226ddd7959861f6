// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a session file back: the rows as they were logged, with the header's tool, port and
// adapter. Text logs of version 1.1 (format 1) give what their lines carry: the bytes, times to
// a tenth of a millisecond, marks and texts, without the arrival of each piece. A file that is
// not a log of this tool, or that a newer version wrote, is refused; one that is cut short or
// damaged is read up to its first broken line, and `problem` says where reading stopped.
#pragma once

#include "workbench/commlog/comm_row.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

struct SessionFile {
    int format = 0;
    QDateTime started;
    QString tool, port, adapter; // as the header gives them; empty where it does not
    std::vector<CommRow> rows;   // times from 0 at `started`
    QStringList remarks;         // the file's own remarks, e.g. rows that were never written
    bool refused = false;        // nothing was read
    QString problem;             // why it was refused or where reading stopped; empty if whole
};

SessionFile ReadSession(const QByteArray &content);
