// SPDX-License-Identifier: GPL-3.0-or-later
// The runtime's own event queue. Qt input and timer signals are turned into control and panel
// events and queued; ProcessSystemEvents and RunUserInterface deliver them to the
// application's callbacks, so callbacks never run inside other code.
#pragma once

class QWidget;

struct RtEvent {
    int panel = 0;
    int control = 0; // 0: a panel event
    int event = 0;
    int data1 = 0;
    int data2 = 0;
};

void rtPostEvent(const RtEvent &event);
// Delivers every queued event; true when there was any. Events for a control whose callback is
// running are held and delivered right after it returns.
bool rtDispatchEvents();
bool rtHasPendingEvents();
// True while a control or panel callback runs.
bool rtControlCallbackRunning();
// Drops queued and held events of a panel that is being discarded.
void rtForgetPanel(int panel);

// Connects a loaded control's input to the queue, by the control's kind.
void rtAttachControl(QWidget *widget, int panel, int control);
// Installs the input filter (left clicks, button releases, close requests) once.
void rtInstallInputFilter();

// True while the application writes a value; such writes raise no events.
bool rtWritingFromCode();
class RtCodeWrite {
  public:
    RtCodeWrite();
    ~RtCodeWrite();
    RtCodeWrite(const RtCodeWrite &) = delete;
    RtCodeWrite &operator=(const RtCodeWrite &) = delete;
};
