// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/ports/other_device_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Device nodes are "system" files, which a file dialog hides unless told otherwise.
void chooseNode(QWidget *parent, QLineEdit *path) {
    auto *chooser =
        new QFileDialog(parent, QStringLiteral("Choose a serial device"), QStringLiteral("/dev"));
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    chooser->setOption(QFileDialog::DontUseNativeDialog);
    chooser->setFileMode(QFileDialog::ExistingFile);
    chooser->setFilter(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    QObject::connect(chooser, &QFileDialog::fileSelected, path, &QLineEdit::setText);
    chooser->open();
}

} // namespace

void AskForDevicePath(QWidget *parent, std::function<void(const QString &)> given) {
    auto *dialog = new QDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Other device"));
    dialog->setAccessibleName(QStringLiteral("Other device"));
    auto *label = new QLabel(QStringLiteral("&Device path (e.g. /dev/ttyUSB0, /dev/pts/4, or "
                                            "the simulated sensor's link):"));
    auto *path = new QLineEdit;
    path->setObjectName(QStringLiteral("devicePath"));
    path->setAccessibleName(QStringLiteral("Device path"));
    path->setPlaceholderText(QStringLiteral("/dev/..."));
    label->setBuddy(path);
    auto *browse = new QPushButton(QStringLiteral("&Browse..."));
    browse->setAccessibleName(QStringLiteral("Browse"));
    QObject::connect(browse, &QPushButton::clicked, dialog,
                     [dialog, path] { chooseNode(dialog, path); });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(dialog, &QDialog::accepted, dialog, [path, given] {
        if (!path->text().trimmed().isEmpty())
            given(path->text().trimmed());
    });
    auto *row = new QHBoxLayout;
    row->addWidget(path, 1);
    row->addWidget(browse);
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(label);
    layout->addLayout(row);
    layout->addWidget(buttons);
    dialog->resize(480, dialog->sizeHint().height());
    dialog->open();
}
