// SPDX-License-Identifier: GPL-3.0-or-later
// Parameter sets compared: keeps the last set seen in each place, marks the panel fields that
// hold edits no Send has carried yet, tells on the Send button what a Send would overwrite,
// and offers View → Compare parameter sets. It only listens: to the core's notifications
// and to the panels' controls, read through the platform layer.
#pragma once

#include "workbench/compare/change_markers.h"
#include "workbench/compare/parameter_places.h"
#include "workbench/compare/send_tooltip.h"
#include "workbench/shared/kept_set.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class CompareWindow;
class MenuBar;

class CompareFeature : public QObject {
    Q_OBJECT
  public:
    CompareFeature(CoreEvents &core, MenuBar &menus);
    ~CompareFeature() override;

    const ParameterPlaces &places() const { return places_; }
    const ChangeMarkers &markers() const { return markers_; }
    // The files the compare view shows, also those only added to it.
    QList<const PlacedSet *> comparedFiles() const;
    // Shows the compare view (creating it on first use) and returns it.
    CompareWindow *showWindow();
    // Lines another feature adds to the view's summary, under `key`; empty lines are left out.
    void setOutsideLines(const QString &key, const QStringList &lines);
    QStringList outsideLines() const;
    // Sets kept elsewhere, shown as columns of their own after the files.
    void showKeptSets(const QList<KeptSet> &sets);

  private:
    void watchControls();
    void schedule();
    void refresh();
    Overwrite overwrite() const;

    ParameterPlaces places_;
    ChangeMarkers markers_;
    SendTooltip sendTooltip_;
    QPointer<CompareWindow> window_;
    QMap<QString, QStringList> outside_;
    QList<KeptSet> kept_;
    // Changes are gathered and shown at most 20 times a second.
    QTimer batch_;
    ParameterWords panels_{};
};
