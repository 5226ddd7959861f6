// SPDX-License-Identifier: GPL-3.0-or-later
// Qt-facing access to the platform layer, for the layer's own files, the simulator-free
// tests and tools that need the widgets themselves. The application never includes this.
#pragma once

class QWidget;

// The widget of a control, or nullptr.
QWidget *rtControlWidget(int panel, int control);
// The top-level widget of a panel, or nullptr.
QWidget *rtPanelWidget(int panel);
// Every pending serial receive callback is run (called after each pass of event processing);
// true when any ran.
bool rtPollSerial();
// True while a serial receive callback runs.
bool rtSerialCallbackRunning();
