// SPDX-License-Identifier: GPL-3.0-or-later
// File → Service report…: a note for the report, Save PDF… and, where the system has a
// printer, Print…. The report is gathered when it is saved or printed. Nothing here waits in
// an event loop of its own: the dialog and the ones it opens return at once, so a running
// operation goes on.
#pragma once

#include "workbench/report/service_report.h"
#include "workbench/shared/window_memory.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QStringList>
#include <functional>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPrinter;
class QPushButton;

class ReportDialog : public QDialog, public KeepsSettings {
    Q_OBJECT
  public:
    using Gather = std::function<ServiceReport(const QString &note)>;
    ReportDialog(Gather gather, QWidget *parent);
    ~ReportDialog() override;

    // Writes the report with the note typed so far; false with `error` set.
    bool saveTo(const QString &path, QString *error);
    // The note typed so far, for the next run.
    void saveSettings(QSettings &settings) const override;

  signals:
    void saved(const QString &path);

  protected:
    void showEvent(QShowEvent *event) override;

  private:
    void askPath();
    void askPrinter();
    void tell(const QString &text);

    Gather gather_;
    QPlainTextEdit *note_;
    QLabel *result_;
    QPushButton *print_;
    std::unique_ptr<QPrinter> printer_;
    // The system's printers, asked for on a worker: the answer may take a while (a print
    // server on the network), and an operation may be running.
    QFutureWatcher<QStringList> printers_;
};
