// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/compare/set_comparison.h"

#include <algorithm>

namespace {

QString differences(qsizetype n) {
    return n == 1 ? QStringLiteral("1 difference") : QStringLiteral("%1 differences").arg(n);
}

QString panelsAgainst(const ParameterWords &panels, const PlacedSet &set) {
    const qsizetype n = DifferingWords(panels, set.words).size();
    const QString pair =
        n == 0 ? QStringLiteral("Panels and %1 equal").arg(PlaceName(set))
               : QStringLiteral("%1 between panels and %2").arg(differences(n), PlaceName(set));
    return QStringLiteral("%1 (%2)").arg(pair, StateText(set));
}

QString ramAgainstEeprom(const PlacedSet &ram, const PlacedSet &eeprom) {
    const qsizetype n = DifferingWords(ram.words, eeprom.words).size();
    const QString pair = n == 0 ? QStringLiteral("RAM and EEPROM equal")
                                : QStringLiteral("%1 between RAM and EEPROM").arg(differences(n));
    return QStringLiteral("%1 (RAM %2; EEPROM %3)").arg(pair, StateText(ram), StateText(eeprom));
}

} // namespace

QList<int> DifferingWords(const ParameterWords &a, const ParameterWords &b) {
    QList<int> words;
    for (int i = 0; i < PNUM; ++i) {
        if (a[i] != b[i])
            words << i;
    }
    return words;
}

QList<const PlacedSet *> ComparedFiles(const QList<PlacedSet> &seen,
                                       const QList<PlacedSet> &viewed) {
    QList<const PlacedSet *> files;
    for (const QList<PlacedSet> *list : {&seen, &viewed}) {
        for (const PlacedSet &f : *list)
            files << &f;
    }
    std::stable_sort(files.begin(), files.end(),
                     [](const PlacedSet *a, const PlacedSet *b) { return a->when > b->when; });
    QStringList paths;
    files.removeIf([&](const PlacedSet *f) {
        if (paths.contains(f->path))
            return true;
        paths << f->path;
        return false;
    });
    return files;
}

QStringList SummaryLines(const ParameterWords &panels, const PlacedSet *ram,
                         const PlacedSet *eeprom, const QList<PlacedSet> &files) {
    QStringList lines;
    lines << (ram ? panelsAgainst(panels, *ram) : QStringLiteral("RAM not read yet"));
    lines << (eeprom ? panelsAgainst(panels, *eeprom) : QStringLiteral("EEPROM not read yet"));
    if (ram && eeprom)
        lines << ramAgainstEeprom(*ram, *eeprom);
    for (const PlacedSet &file : files)
        lines << panelsAgainst(panels, file);
    return lines;
}

Overwrite OverwriteOf(ParamPlace target, const ParameterWords &panels,
                      const ParameterPlaces &places) {
    if (target == ParamPlace::File)
        return {QStringLiteral("Send to File writes the panels' set to the file chosen in the "
                               "dialog"),
                {}};
    const QString name =
        target == ParamPlace::Eeprom ? QStringLiteral("EEPROM") : QStringLiteral("RAM");
    const PlacedSet *known = places.sensor(target);
    if (!known)
        return {QStringLiteral("Send to %1 overwrites a set not read yet: Get from %1 shows it")
                    .arg(name),
                {}};
    const QList<int> words = DifferingWords(panels, known->words);
    if (words.isEmpty())
        return {QStringLiteral("Send to %1 changes nothing: panels and %1 equal (%2)")
                    .arg(name, StateText(*known)),
                {}};
    Overwrite o;
    o.headline = QStringLiteral("Send to %1 overwrites %2 (%1 %3)")
                     .arg(name,
                          words.size() == 1 ? QStringLiteral("1 value")
                                            : QStringLiteral("%1 values").arg(words.size()),
                          StateText(*known));
    for (int w : words)
        o.changes << QStringLiteral("%1 %2 → %3")
                         .arg(QString::fromUtf8(kParameterTable[w].name))
                         .arg(known->words[w])
                         .arg(panels[w]);
    return o;
}
