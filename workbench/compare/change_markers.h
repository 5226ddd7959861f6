// SPDX-License-Identifier: GPL-3.0-or-later
// Change markers on the panels: a symbol beside every parameter control whose value differs
// from the set the panels were last taken from or sent as, and "changed, not sent" in the
// control's accessible description, so that neither colour nor sight is needed to find them.
// The controls' values, events and callbacks stay as they are.
#pragma once

#include "workbench/compare/parameter_places.h"

#include <QPointer>
#include <QString>
#include <array>

class QLabel;
class QWidget;

class ChangeMarkers {
  public:
    // Puts a hidden marker beside each bound control, in the next column of its grid row.
    ChangeMarkers();

    // Marks the words in which `panels` differs from `reference`; none without a reference.
    void update(const ParameterWords &panels, const PlacedSet *reference);
    bool isMarked(int word) const { return markers_[word].marked; }

  private:
    struct Marker {
        QPointer<QWidget> control;
        QPointer<QLabel> label;
        QString description; // the control's own accessible description
        bool marked = false;
    };
    void mark(Marker &m, bool marked, const QString &why);

    std::array<Marker, PNUM> markers_;
};
