// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/ports/port_diagnostics_view.h"

#include "workbench/shared/close_button.h"
#include "workbench/shared/session_replay.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QVBoxLayout>

PortDiagnosticsView::PortDiagnosticsView(QWidget *parent, std::function<QString()> report)
    : QWidget(parent, Qt::Window), report_(std::move(report)), text_(new QTextBrowser) {
    setWindowTitle(QStringLiteral("Port diagnostics"));
    setAccessibleName(QStringLiteral("Port diagnostics"));
    setObjectName(QStringLiteral("Port diagnostics"));
    text_->setAccessibleName(QStringLiteral("Port report"));
    text_->setOpenLinks(false);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new ReplayBanner(this));
    layout->addWidget(text_);
    layout->addWidget(AddCloseButton(this));
    resize(760, 460);
}

void PortDiagnosticsView::refresh() {
    if (isVisible())
        text_->setHtml(report_());
}

void PortDiagnosticsView::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    text_->setHtml(report_());
}
