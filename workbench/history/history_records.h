// SPDX-License-Identifier: GPL-3.0-or-later
// What the service history keeps, as plain values: sessions, the parameter sets seen in them,
// the reports made, and what is derived from them. Times are UTC; keys are UUIDs, so that
// records made in separate databases merge without clashing.
#pragma once

#include "workbench/adapters/parameter_table.h"

#include <QDateTime>
#include <QList>
#include <QString>

struct SessionRecord {
    QString id;
    QDateTime started;
    QDateTime ended; // invalid while the session runs, or when it never ended cleanly
    QString version;
    QString port;    // the device the port opened
    QString adapter; // its /dev/serial/by-id name, empty when the system lists none
    QString serial;  // the adapter's serial number
    QString technician;
    QString tag; // empty: untagged
    QString note;
};

// A set sent to the sensor stays unconfirmed until a write-and-verify reads it back.
enum class SetCheck { None, Unconfirmed, Verified, Differs };

struct SetRecord {
    QString id;
    QString sessionId;
    QDateTime at;
    int seq = 0;       // the order within the session, for sets of the same millisecond
    QString place;     // "RAM", "EEPROM" or "file"
    QString path;      // files only
    bool sent = false; // else read
    SetCheck check = SetCheck::None;
    QList<int> differing; // words a verify read back otherwise
    QString purpose;      // "backup", "verify" or empty
    ParameterWords words{};
};

struct ReportRecord {
    QString id;
    QString sessionId;
    QDateTime at;
    QString path;
    QString sha256; // hex
};

struct SensorRecord {
    QString tag; // empty: the untagged sessions
    QDateTime lastVisit;
    int sessions = 0;
};

// One word of the sensor's RAM or EEPROM set that changed from one known set to the next.
struct AuditChange {
    QDateTime at;
    QString sessionId;
    QString place;
    int word = 0;
    unsigned short from = 0;
    unsigned short to = 0;
    bool sent = false; // the tool wrote it; else it was found so on a read
};

// The adapter a port opened, as the system names it.
struct AdapterId {
    QString byId;
    QString serial;
};

QString NewRecordId();
// A session begun now, with a new key.
SessionRecord NewSession();
// "read", "sent, unconfirmed", "sent, verified", "sent, differs in words 0, 3", "saved".
QString SetStateText(const SetRecord &set);
// The words as decimal numbers with a space between, as the database and the window keep them.
QString WordsText(const ParameterWords &words);
// "Power 700 → 650, Gain 0 → 1" for the words that differ; empty when none does.
QString WordChanges(const ParameterWords &from, const ParameterWords &to);
QList<int> DifferingWordsOf(const ParameterWords &a, const ParameterWords &b);
