// SPDX-License-Identifier: GPL-3.0-or-later
// Asking for a file name to save to, without blocking: the operations wait in loops of their
// own, and a dialog that ran its own event loop from inside one would hold that loop (and the
// sensor traffic) until it closed. The folders of the last save and of the last file opened are
// remembered across runs.
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

class QFile;
class QFileDialog;
class QWidget;

// Opens a save dialog in the remembered folder with `name` proposed; `chosen` gets the path
// when the user accepts, `cancelled` runs otherwise. The dialog is returned for a caller that
// adjusts it further; it deletes itself when closed.
QFileDialog *AskSavePath(QWidget *parent, const QString &title, const QString &name,
                         const QString &filter, const std::function<void(const QString &)> &chosen,
                         const std::function<void()> &cancelled = {});
// Opens a dialog to pick an existing file, in the folder of the last file picked this way (or
// `folder` the first time); `chosen` gets the path when the user accepts.
void AskOpenPath(QWidget *parent, const QString &title, const QString &folder,
                 const QString &filter, const std::function<void(const QString &)> &chosen);
// "<stem>-2024-05-01_12-34-56.<extension>"
QString TimedFileName(const QString &stem, const QDateTime &at, const QString &extension);
// Shows `text` in a message box that does not block.
void ShowProblem(QWidget *parent, const QString &title, const QString &text);
// Opens `file`, a file the user picked, for reading; when it is not a regular file or cannot be
// read, says so under `title` and returns false.
bool OpenPickedFile(QFile &file, QWidget *parent, const QString &title);
