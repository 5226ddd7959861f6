// SPDX-License-Identifier: GPL-3.0-or-later
// What the service report says of the service history.
#pragma once

#include <QString>
#include <QStringList>

struct HistorySummary {
    QString kept; // where the history is kept, or why it is not
    QString tag;  // empty: untagged
    QString technician;
    QString sinceLastVisit;
    QStringList checks; // the outcomes of Write and verify and Back up sensor
};
