// SPDX-License-Identifier: GPL-3.0-or-later
// View → Compare parameter sets: one row per parameter, one column each for the panels, the
// sensor's RAM and EEPROM and every parameter file seen or added; cells that differ from the
// panels are highlighted and marked "≠". A file added here is only read for the comparison:
// the panels and the tool's parameter set stay as they are.
#pragma once

#include "workbench/compare/set_comparison.h"
#include "workbench/shared/kept_set.h"

#include <QWidget>

class QLabel;
class QTableWidget;

class CompareWindow : public QWidget {
    Q_OBJECT
  public:
    CompareWindow(const ParameterPlaces &places, QWidget *parent);

    // Shows the panels' set against the places and the `kept` sets; `overwrite` is what a Send
    // would overwrite, `outside` lines other features add to the summary.
    void refresh(const ParameterWords &panels, const Overwrite &overwrite,
                 const QList<KeptSet> &kept = {}, const QStringList &outside = {});
    // Reads a parameter file into a column of its own; false (with a note) when it is not one.
    bool addFile(const QString &path);
    // Writes the table as CSV: a header row, then one row per parameter. False with `error`
    // set when the file cannot be written; an existing one is then left as it was.
    bool exportCsv(const QString &path, QString *error) const;

    QString summary() const;
    // Files added here, newest first.
    const QList<PlacedSet> &viewedFiles() const { return viewed_; }
    const QTableWidget *table() const { return table_; }

  signals:
    // The view needs the panels' set again (shown, or a file added).
    void refreshWanted();

  protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    struct Column {
        QString title;
        QString state;
        const ParameterWords *words; // nullptr: not known yet
        QString path;
    };
    QList<Column> columns() const;
    void fill(const ParameterWords &panels);
    void chooseFile();
    void chooseExport();

    const ParameterPlaces &places_;
    QList<PlacedSet> viewed_; // files added here, newest first
    QList<KeptSet> kept_;
    QLabel *summary_;
    QLabel *note_;
    QTableWidget *table_;
};
