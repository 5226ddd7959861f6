// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/save_dialog.h"

#include "workbench/window_memory.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

const QString kFolderKey = QStringLiteral("save/folder");

} // namespace

void AskSavePath(QWidget *parent, const QString &title, const QString &name, const QString &filter,
                 const std::function<void(const QString &)> &chosen,
                 const std::function<void()> &cancelled) {
    const QString folder = WorkbenchSettings().value(kFolderKey, QDir::homePath()).toString();
    auto *dialog = new QFileDialog(parent, title, QDir(folder).filePath(name), filter);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QFileInfo(name).suffix());
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [chosen](const QString &path) {
        WorkbenchSettings().setValue(kFolderKey, QFileInfo(path).absolutePath());
        chosen(path);
    });
    if (cancelled)
        QObject::connect(dialog, &QFileDialog::rejected, dialog, cancelled);
    dialog->open();
}

QString TimedFileName(const QString &stem, const QDateTime &at, const QString &extension) {
    return QStringLiteral("%1-%2.%3")
        .arg(stem, at.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")), extension);
}

void ShowProblem(QWidget *parent, const QString &title, const QString &text) {
    auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
