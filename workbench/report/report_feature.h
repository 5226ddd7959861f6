// SPDX-License-Identifier: GPL-3.0-or-later
// The service report as a workbench feature: File → Service report… opens its dialog, and
// --report FILE writes the report when the run ends, for unattended runs.
#pragma once

#include "workbench/report/report_gathering.h"

#include <QObject>
#include <QPointer>

class CoreEvents;
class MenuBar;
class ReportDialog;

class ReportFeature : public QObject {
    Q_OBJECT
  public:
    // `reportPath` empty: no report at the end.
    ReportFeature(CoreEvents &core, MenuBar &menus, const ReportSources &sources,
                  const QString &reportPath);
    ~ReportFeature() override;

    // The dialog, made on first use.
    ReportDialog *dialog();

  signals:
    // A report was written to `path`.
    void written(const QString &path);

  private:
    void writeAtEnd();

    ReportSources sources_;
    QString reportPath_;
    QPointer<ReportDialog> dialog_; // owned by the main panel, which may go first
};
