// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/history/history_records.h"

#include <QStringList>
#include <QUuid>

QString NewRecordId() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

SessionRecord NewSession() {
    SessionRecord session;
    session.id = NewRecordId();
    session.started = QDateTime::currentDateTimeUtc();
    return session;
}

QString SetStateText(const SetRecord &set) {
    if (!set.sent)
        return set.place == QLatin1String("file") ? QStringLiteral("loaded")
                                                  : QStringLiteral("read");
    switch (set.check) {
    case SetCheck::Unconfirmed:
        return QStringLiteral("sent, unconfirmed");
    case SetCheck::Verified:
        return QStringLiteral("sent, verified");
    case SetCheck::Differs: {
        QStringList words;
        for (int w : set.differing)
            words << QString::number(w);
        return QStringLiteral("sent, read back different in word%1 %2")
            .arg(words.size() == 1 ? QString() : QStringLiteral("s"),
                 words.join(QStringLiteral(", ")));
    }
    case SetCheck::None:
        break;
    }
    return QStringLiteral("saved");
}

QString WordsText(const ParameterWords &words) {
    QStringList numbers;
    for (unsigned short w : words)
        numbers << QString::number(w);
    return numbers.join(' ');
}

QList<int> DifferingWordsOf(const ParameterWords &a, const ParameterWords &b) {
    QList<int> words;
    for (int w = 0; w < PNUM; ++w)
        if (a[std::size_t(w)] != b[std::size_t(w)])
            words << w;
    return words;
}

QString WordChanges(const ParameterWords &from, const ParameterWords &to) {
    QStringList changes;
    for (int w : DifferingWordsOf(from, to))
        changes << QStringLiteral("%1 %2 → %3")
                       .arg(QString::fromUtf8(kParameterTable[std::size_t(w)].name))
                       .arg(from[std::size_t(w)])
                       .arg(to[std::size_t(w)]);
    return changes.join(QStringLiteral(", "));
}
