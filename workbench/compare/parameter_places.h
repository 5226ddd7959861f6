// SPDX-License-Identifier: GPL-3.0-or-later
// The last parameter set seen in each place, from the core's notifications: the sensor's RAM
// and EEPROM, and every parameter file loaded or saved. The sensor answers no write, so a set
// sent to it stays "sent, unconfirmed" until a Get reads it back.
#pragma once

#include "workbench/adapters/core_events.h"
#include "workbench/adapters/parameter_table.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <optional>

// How the set became known: read from the place, written to it by the tool, or read from a
// file only to compare it (the panels stay as they are).
enum class SetOrigin { Read, Written, Viewed };

struct PlacedSet {
    ParamPlace place = ParamPlace::Ram;
    QString path; // files only, absolute
    ParameterWords words{};
    QDateTime when;
    SetOrigin origin = SetOrigin::Read;
};

class ParameterPlaces : public QObject {
    Q_OBJECT
  public:
    explicit ParameterPlaces(CoreEvents &core);

    const PlacedSet *ram() const { return ram_ ? &*ram_ : nullptr; }
    const PlacedSet *eeprom() const { return eeprom_ ? &*eeprom_ : nullptr; }
    const PlacedSet *sensor(ParamPlace place) const;
    // Newest first, one entry per path.
    const QList<PlacedSet> &files() const { return files_; }
    // The set the panels were last taken from or sent as: the last one read from or written
    // to the sensor, or loaded from a file. A file save leaves it: the sensor did not get it.
    const PlacedSet *reference() const { return reference_ ? &*reference_ : nullptr; }

  signals:
    void changed();

  private:
    void take(ParamPlace place, const QVector<quint16> &words, const QString &path,
              SetOrigin origin);

    std::optional<PlacedSet> ram_;
    std::optional<PlacedSet> eeprom_;
    std::optional<PlacedSet> reference_;
    QList<PlacedSet> files_;
};

// A file path as the places key it.
QString AbsolutePathOf(const QString &path);
// "RAM", "EEPROM" or the file's name.
QString PlaceName(const PlacedSet &set);
// "read 14:02:11", "sent 14:02:11, unconfirmed", "loaded ...", "saved ...", "viewed ...".
QString StateText(const PlacedSet &set);
