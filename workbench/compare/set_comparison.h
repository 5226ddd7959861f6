// SPDX-License-Identifier: GPL-3.0-or-later
// Comparing parameter sets: which words differ, the summary of the panels against every known
// place, and what a Send would overwrite.
#pragma once

#include "workbench/compare/parameter_places.h"

#include <QList>
#include <QString>
#include <QStringList>

QList<int> DifferingWords(const ParameterWords &a, const ParameterWords &b);

// The files the compare view shows: those the tool loaded or saved and those only viewed,
// newest first, one per path.
QList<const PlacedSet *> ComparedFiles(const QList<PlacedSet> &seen,
                                       const QList<PlacedSet> &viewed);

// One line per known place (the panels against it) and one for RAM against EEPROM, e.g.
// "3 differences between panels and EEPROM (read 14:01:50)"; a place not read yet says so.
QStringList SummaryLines(const ParameterWords &panels, const PlacedSet *ram,
                         const PlacedSet *eeprom, const QList<PlacedSet> &files);

struct Overwrite {
    QString headline;    // e.g. "Send to EEPROM overwrites 3 values (EEPROM read 14:01:50)"
    QStringList changes; // e.g. "Power 650 → 700", one per differing word
};
// What a Send to `target` would overwrite with the panels' set.
Overwrite OverwriteOf(ParamPlace target, const ParameterWords &panels,
                      const ParameterPlaces &places);
