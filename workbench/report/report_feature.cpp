// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/report/report_feature.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"
#include "workbench/adapters/core_events.h"
#include "workbench/report/report_dialog.h"
#include "workbench/report/report_document.h"
#include "workbench/shared/menu_bar.h"
#include "workbench/shared/menu_items.h"

#include <QAction>
#include <cstdio>

ReportFeature::ReportFeature(CoreEvents &core, MenuBar &menus, const ReportSources &sources,
                             const QString &reportPath)
    : sources_(sources), reportPath_(reportPath) {
    connect(AddMenuItem(menus.file(), QStringLiteral("Service re&port…"),
                        QStringLiteral("Service report")),
            &QAction::triggered, this, [this] {
                dialog()->show();
                dialog()->raise();
                dialog()->activateWindow();
            });
    if (!reportPath_.isEmpty())
        connect(&core, &CoreEvents::ending, this, &ReportFeature::writeAtEnd);
}

ReportFeature::~ReportFeature() {
    delete dialog_;
}

ReportDialog *ReportFeature::dialog() {
    if (!dialog_) {
        dialog_ =
            new ReportDialog([this](const QString &note) { return GatherReport(sources_, note); },
                             rtPanelWidget(ToolMainPanel()));
        connect(dialog_, &ReportDialog::saved, this, &ReportFeature::written);
    }
    return dialog_;
}

// The event loop has ended; the port and the panels are still there to be read.
void ReportFeature::writeAtEnd() {
    QString error;
    if (WriteReportPdf(GatherReport(sources_, {}), reportPath_, &error))
        emit written(reportPath_);
    else
        std::fprintf(stderr, "rmox-sensor-tool: service report not written: %s\n",
                     qPrintable(error));
}
