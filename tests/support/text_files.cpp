// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_files.h"

#include <QFile>
#include <QTest>

void WriteContent(const QString &path, const QByteArray &text) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(text), text.size());
}

QByteArray ContentOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QList<QByteArrayList> CsvRows(const QString &path) {
    QList<QByteArrayList> rows;
    for (const QByteArray &line : ContentOf(path).split('\n'))
        if (!line.isEmpty())
            rows << line.split(',');
    return rows;
}
