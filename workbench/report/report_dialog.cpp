// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/report/report_dialog.h"

#include "workbench/report/report_document.h"
#include "workbench/shared/save_dialog.h"
#include "workbench/shared/session_replay.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {

QPushButton *addButton(QDialogButtonBox *box, const QString &text, const QString &name,
                       QDialogButtonBox::ButtonRole role) {
    QPushButton *button = box->addButton(text, role);
    button->setObjectName(name);
    button->setAccessibleName(name);
    return button;
}

} // namespace

ReportDialog::ReportDialog(Gather gather, QWidget *parent)
    : QDialog(parent), gather_(std::move(gather)), note_(new QPlainTextEdit), result_(new QLabel) {
    setWindowTitle(QStringLiteral("Service report"));
    setObjectName(QStringLiteral("Service report"));
    setAccessibleName(windowTitle());
    auto *intro = new QLabel(QStringLiteral(
        "The report holds the port and its adapter, the parameter sets as the compare view shows "
        "them, the last video signal, the statistics of the live values and the problems the "
        "communication log marked, as they stand when you save or print it."));
    intro->setWordWrap(true);
    auto *noteLabel = new QLabel(QStringLiteral("&Note for the report:"));
    note_->setObjectName(QStringLiteral("Note"));
    note_->setAccessibleName(QStringLiteral("Note"));
    note_->setPlaceholderText(QStringLiteral("What was found, what was changed, what is left"));
    note_->setTabChangesFocus(true);
    note_->setPlainText(WorkbenchSettings()
                            .value(SettingsGroup(objectName()) + QStringLiteral("/note"))
                            .toString());
    noteLabel->setBuddy(note_);
    result_->setWordWrap(true);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    result_->hide();

    auto *buttons = new QDialogButtonBox;
    connect(addButton(buttons, QStringLiteral("&Save PDF…"), QStringLiteral("Save PDF"),
                      QDialogButtonBox::ActionRole),
            &QPushButton::clicked, this, &ReportDialog::askPath);
    print_ = addButton(buttons, QStringLiteral("&Print…"), QStringLiteral("Print"),
                       QDialogButtonBox::ActionRole);
    connect(print_, &QPushButton::clicked, this, &ReportDialog::askPrinter);
    print_->setVisible(false);
    connect(&printers_, &QFutureWatcher<QStringList>::finished, this,
            [this] { print_->setVisible(!printers_.result().isEmpty()); });
    connect(addButton(buttons, QStringLiteral("&Close"), QStringLiteral("Close"),
                      QDialogButtonBox::RejectRole),
            &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new ReplayBanner(this));
    layout->addWidget(intro);
    layout->addWidget(noteLabel);
    layout->addWidget(note_, 1);
    layout->addWidget(result_);
    layout->addWidget(buttons);
    resize(560, 340);
}

ReportDialog::~ReportDialog() = default;

void ReportDialog::saveSettings(QSettings &settings) const {
    settings.setValue(QStringLiteral("note"), note_->toPlainText());
}

// Printers come and go; the button shows only while the system has one.
void ReportDialog::showEvent(QShowEvent *event) {
    if (!printers_.isRunning())
        printers_.setFuture(QtConcurrent::run(&QPrinterInfo::availablePrinterNames));
    QDialog::showEvent(event);
}

bool ReportDialog::saveTo(const QString &path, QString *error) {
    if (!WriteReportPdf(gather_(note_->toPlainText()), path, error))
        return false;
    emit saved(path);
    return true;
}

void ReportDialog::askPath() {
    AskSavePath(this, QStringLiteral("Save service report"),
                TimedFileName(QStringLiteral("service-report"), QDateTime::currentDateTime(),
                              QStringLiteral("pdf")),
                QStringLiteral("PDF files (*.pdf)"), [this](const QString &path) {
                    QString error;
                    tell(saveTo(path, &error) ? QStringLiteral("Saved to %1").arg(path) : error);
                });
}

void ReportDialog::askPrinter() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPageSize(QPageSize(ReportPageSize(QLocale())));
        printer_->setDocName(windowTitle());
    }
    auto *dialog = new QPrintDialog(printer_.get(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this] {
        const bool printed = PaintReport(gather_(note_->toPlainText()), *printer_);
        tell(printed ? QStringLiteral("Sent to %1").arg(printer_->printerName())
                     : QStringLiteral("%1 cannot print now").arg(printer_->printerName()));
    });
    dialog->open();
}

void ReportDialog::tell(const QString &text) {
    result_->setText(text);
    result_->show();
}
