// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/compare/parameter_places.h"

#include <QFileInfo>
#include <algorithm>

ParameterPlaces::ParameterPlaces(CoreEvents &core) {
    connect(&core, &CoreEvents::setRead, this,
            [this](ParamPlace place, const QVector<quint16> &words, const QString &path) {
                take(place, words, path, SetOrigin::Read);
            });
    connect(&core, &CoreEvents::setWritten, this,
            [this](ParamPlace place, const QVector<quint16> &words, const QString &path) {
                take(place, words, path, SetOrigin::Written);
            });
}

const PlacedSet *ParameterPlaces::sensor(ParamPlace place) const {
    return place == ParamPlace::Eeprom ? eeprom() : place == ParamPlace::Ram ? ram() : nullptr;
}

void ParameterPlaces::take(ParamPlace place, const QVector<quint16> &words, const QString &path,
                           SetOrigin origin) {
    PlacedSet set;
    set.place = place;
    set.origin = origin;
    set.when = QDateTime::currentDateTime();
    std::copy_n(words.cbegin(), std::min<qsizetype>(words.size(), PNUM), set.words.begin());
    if (place == ParamPlace::File) {
        set.path = AbsolutePathOf(path);
        files_.removeIf([&](const PlacedSet &f) { return f.path == set.path; });
        files_.prepend(set);
    } else {
        (place == ParamPlace::Ram ? ram_ : eeprom_) = set;
    }
    if (place != ParamPlace::File || origin == SetOrigin::Read)
        reference_ = set;
    emit changed();
}

QString AbsolutePathOf(const QString &path) {
    return QFileInfo(path).absoluteFilePath();
}

QString PlaceName(const PlacedSet &set) {
    switch (set.place) {
    case ParamPlace::Ram:
        return QStringLiteral("RAM");
    case ParamPlace::Eeprom:
        return QStringLiteral("EEPROM");
    case ParamPlace::File:
        break;
    }
    return QFileInfo(set.path).fileName();
}

QString StateText(const PlacedSet &set) {
    const QString time = set.when.toString(QStringLiteral("HH:mm:ss"));
    const bool file = set.place == ParamPlace::File;
    switch (set.origin) {
    case SetOrigin::Read:
        return (file ? QStringLiteral("loaded %1") : QStringLiteral("read %1")).arg(time);
    case SetOrigin::Written:
        return (file ? QStringLiteral("saved %1") : QStringLiteral("sent %1, unconfirmed"))
            .arg(time);
    case SetOrigin::Viewed:
        break;
    }
    return QStringLiteral("viewed %1").arg(time);
}
