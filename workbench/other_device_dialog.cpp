#include "workbench/other_device_dialog.h"

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
QString chooseNode(QWidget *parent, const QString &start) {
    QFileDialog chooser(parent, QStringLiteral("Choose a serial device"), start);
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setFilter(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    return chooser.exec() == QDialog::Accepted ? chooser.selectedFiles().value(0) : QString();
}

} // namespace

QString AskForDevicePath(QWidget *parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Other device"));
    dialog.setAccessibleName(QStringLiteral("Other device"));
    auto *label = new QLabel(QStringLiteral("&Device path (e.g. /dev/ttyUSB0, /dev/pts/4, or "
                                            "the simulated sensor's link):"));
    auto *path = new QLineEdit;
    path->setObjectName(QStringLiteral("devicePath"));
    path->setAccessibleName(QStringLiteral("Device path"));
    path->setPlaceholderText(QStringLiteral("/dev/..."));
    label->setBuddy(path);
    auto *browse = new QPushButton(QStringLiteral("&Browse..."));
    browse->setAccessibleName(QStringLiteral("Browse"));
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, path] {
        const QString chosen = chooseNode(&dialog, QStringLiteral("/dev"));
        if (!chosen.isEmpty())
            path->setText(chosen);
    });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *row = new QHBoxLayout;
    row->addWidget(path, 1);
    row->addWidget(browse);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addLayout(row);
    layout->addWidget(buttons);
    dialog.resize(480, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return path->text().trimmed();
}
