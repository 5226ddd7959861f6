// SPDX-License-Identifier: GPL-3.0-or-later
// View → Compare parameter sets: one row per parameter, one column each for the panels, the
// sensor's RAM and EEPROM and every parameter file seen or added; cells that differ from the
// panels are highlighted and marked "≠". A file added here is only read for the comparison:
// the panels and the tool's parameter set stay as they are.
#pragma once

#include "workbench/compare/set_comparison.h"

#include <QWidget>

class QLabel;
class QTableWidget;

class CompareWindow : public QWidget {
    Q_OBJECT
  public:
    CompareWindow(const ParameterPlaces &places, QWidget *parent);

    // Shows the panels' set against the places; `overwrite` is what a Send would overwrite.
    void refresh(const ParameterWords &panels, const Overwrite &overwrite);
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
        const PlacedSet *set; // nullptr: not known yet
    };
    QList<Column> columns() const;
    void fill(const ParameterWords &panels);
    void chooseFile();
    void chooseExport();

    const ParameterPlaces &places_;
    QList<PlacedSet> viewed_; // files added here, newest first
    QLabel *summary_;
    QLabel *note_;
    QTableWidget *table_;
};
