// SPDX-License-Identifier: GPL-3.0-or-later
// File → Open session…: a saved communication log in a window of its own, titled with the
// file, with the live log's columns, decoding, marks, filters and search.
#pragma once

#include <QString>

class QWidget;

// Reads `path` and shows it in a new window of `parent`; a file that is refused, or read only
// in part, is told in a message box (and, read in part, below the window's table). The window
// owns the rows and deletes itself when closed. Returns the window, or nullptr when refused.
QWidget *OpenSessionWindow(const QString &path, QWidget *parent);
