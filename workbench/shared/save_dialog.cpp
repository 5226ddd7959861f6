// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/shared/save_dialog.h"

#include "workbench/shared/window_memory.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

const QString kSaveFolderKey = QStringLiteral("save/folder");
const QString kOpenFolderKey = QStringLiteral("open/folder");

// A dialog that starts at `start` and, when accepted, remembers the chosen file's folder under
// `key` before handing the path on.
QFileDialog *makeDialog(QWidget *parent, const QString &title, const QString &start,
                        const QString &filter, const QString &key,
                        const std::function<void(const QString &)> &chosen) {
    auto *dialog = new QFileDialog(parent, title, start, filter);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                     [key, chosen](const QString &path) {
                         WorkbenchSettings().setValue(key, QFileInfo(path).absolutePath());
                         chosen(path);
                     });
    return dialog;
}

} // namespace

QFileDialog *AskSavePath(QWidget *parent, const QString &title, const QString &name,
                         const QString &filter, const std::function<void(const QString &)> &chosen,
                         const std::function<void()> &cancelled) {
    const QString folder = WorkbenchSettings().value(kSaveFolderKey, QDir::homePath()).toString();
    QFileDialog *dialog =
        makeDialog(parent, title, QDir(folder).filePath(name), filter, kSaveFolderKey, chosen);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QFileInfo(name).suffix());
    if (cancelled)
        QObject::connect(dialog, &QFileDialog::rejected, dialog, cancelled);
    dialog->open();
    return dialog;
}

void AskOpenPath(QWidget *parent, const QString &title, const QString &folder,
                 const QString &filter, const std::function<void(const QString &)> &chosen) {
    QFileDialog *dialog =
        makeDialog(parent, title, WorkbenchSettings().value(kOpenFolderKey, folder).toString(),
                   filter, kOpenFolderKey, chosen);
    dialog->setFileMode(QFileDialog::ExistingFile);
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

bool OpenPickedFile(QFile &file, QWidget *parent, const QString &title) {
    const QString path = file.fileName();
    if (!QFileInfo(path).isFile()) {
        ShowProblem(parent, title, QStringLiteral("%1 is not a file.").arg(path));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        ShowProblem(parent, title,
                    QStringLiteral("%1 could not be read: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}
