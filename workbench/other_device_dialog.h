// Asks for the path of a serial device the ring does not list, such as the simulated sensor's
// pseudo-terminal or a link to it; a file chooser starts in /dev and shows device nodes.
#pragma once

#include <QString>

class QWidget;

// The path given, or an empty string when the dialog was cancelled.
QString AskForDevicePath(QWidget *parent);
