// SPDX-License-Identifier: GPL-3.0-or-later
// Files the tests write for the tool to read, and read back after the tool wrote them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Writes `text` to `path` (a test failure when it cannot).
void WriteContent(const QString &path, const QByteArray &text);
// What `path` holds; "<unreadable>" when it cannot be read, which no test file holds.
QByteArray ContentOf(const QString &path);
// The rows of a CSV file without quoting, each split at its commas; empty lines left out.
QList<QByteArrayList> CsvRows(const QString &path);
