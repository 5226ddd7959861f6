// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/finder/finder_window.h"

#include "workbench/finder/finder_model.h"
#include "workbench/shared/close_button.h"
#include "workbench/shared/session_replay.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QPushButton *addButton(QDialogButtonBox *box, const QString &text, const QString &name) {
    QPushButton *button = box->addButton(text, QDialogButtonBox::ActionRole);
    button->setObjectName(name);
    button->setAccessibleName(name);
    return button;
}

} // namespace

FinderWindow::FinderWindow(QWidget *parent, QAbstractItemModel *model)
    : QWidget(parent, Qt::Window), table_(new QTableView), progress_(new QProgressBar),
      summary_(new QLabel) {
    setWindowTitle(QStringLiteral("Find sensor"));
    setObjectName(QStringLiteral("Find sensor"));
    setAccessibleName(QStringLiteral("Find sensor"));
    auto *intro = new QLabel(QStringLiteral(
        "Every device of the Port ring is opened for a moment at 19200 baud, 8N1, and sent the "
        "echo frame once. Click a device where a sensor answered to pick it."));
    intro->setWordWrap(true);
    table_->setModel(model);
    table_->setAccessibleName(QStringLiteral("Devices"));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setWordWrap(true);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(FinderModel::PortColumn, 44);
    table_->setColumnWidth(FinderModel::DeviceColumn, 150);
    table_->setColumnWidth(FinderModel::VerdictColumn, 210);
    connect(table_, &QTableView::clicked, this,
            [this](const QModelIndex &index) { emit rowClicked(index.row()); });
    progress_->setAccessibleName(QStringLiteral("Search progress"));
    summary_->setAccessibleName(QStringLiteral("Search result"));
    summary_->setWordWrap(true);

    QDialogButtonBox *buttons = AddCloseButton(this);
    again_ = addButton(buttons, QStringLiteral("&Search again"), QStringLiteral("Search again"));
    cancel_ = addButton(buttons, QStringLiteral("C&ancel"), QStringLiteral("Cancel search"));
    connect(again_, &QPushButton::clicked, this, &FinderWindow::searchAsked);
    connect(cancel_, &QPushButton::clicked, this, &FinderWindow::cancelAsked);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new ReplayBanner(this));
    layout->addWidget(intro);
    layout->addWidget(table_, 1);
    layout->addWidget(progress_);
    layout->addWidget(summary_);
    layout->addWidget(buttons);
    resize(900, 520);
}

void FinderWindow::showRunning(int done, int total) {
    progress_->setRange(0, total);
    progress_->setValue(done);
    progress_->show();
    summary_->setText(QStringLiteral("Looking at %1 devices…").arg(total));
    cancel_->setVisible(true);
    again_->setVisible(false);
}

void FinderWindow::showEnded(const QString &text) {
    progress_->hide();
    summary_->setText(text);
    cancel_->setVisible(false);
    again_->setVisible(true);
}

void FinderWindow::allowSearch(bool allowed) {
    again_->setEnabled(allowed);
}

QString FinderWindow::summary() const {
    return summary_->text();
}
