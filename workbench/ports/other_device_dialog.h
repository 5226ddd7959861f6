// SPDX-License-Identifier: GPL-3.0-or-later
// Asks for the path of a serial device the ring does not list, such as the simulated sensor's
// pseudo-terminal or a link to it; a file chooser starts in /dev and shows device nodes.
#pragma once

#include <QString>

#include <functional>

class QWidget;

// Shows the dialog without blocking: a nested event loop would hold a running operation up,
// since the tool's own events are served only by its loops. `given` gets the path when the
// user opens one; nothing happens on cancel.
void AskForDevicePath(QWidget *parent, std::function<void(const QString &)> given);
