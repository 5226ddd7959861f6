// SPDX-License-Identifier: GPL-3.0-or-later
// Qt-facing access to the platform layer, for the layer's own files, the simulator-free
// tests and tools that need the widgets themselves. The application never includes this.
#pragma once

#include <memory>

class QApplication;
class QWidget;

// The application object, or nullptr (with the reason on standard error) when no window system
// can be reached. `argc` must outlive it. Made before the core's start-up, it is the caller's:
// InitCVIRTEEx finds it in place and DiscardRuntime leaves it alone.
std::unique_ptr<QApplication> rtMakeApplication(int &argc, char **argv);

// The widget of a control, or nullptr.
QWidget *rtControlWidget(int panel, int control);
// The top-level widget of a panel, or nullptr.
QWidget *rtPanelWidget(int panel);
// Every pending serial receive callback is run (called after each pass of event processing);
// true when any ran.
bool rtPollSerial();
// True while a serial receive callback runs.
bool rtSerialCallbackRunning();
