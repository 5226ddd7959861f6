// SPDX-License-Identifier: GPL-3.0-or-later
// What the core tells a listener above it, at the moment it happens: the panels loaded and the
// run ending, parameter sets read or written, live frames drawn, video signals read, status
// texts shown. With no listener set nothing happens, and a listener only learns: it must not
// start operations, send or show anything on the panels from inside these calls.
#pragma once

enum class ParamPlace { Ram, Eeprom, File };

class CoreListener {
  public:
    virtual ~CoreListener() = default;
    // Both panels are loaded; the port is not open yet and the main panel not shown.
    virtual void panelsLoaded() {}
    // The event loop has ended; the port is still open and the panels still loaded.
    virtual void runEnding() {}
    // `words` holds the 16 words of the set; `path` names the file (nullptr for the sensor).
    virtual void parameterSetRead(ParamPlace, const unsigned short *, const char *) {}
    virtual void parameterSetWritten(ParamPlace, const unsigned short *, const char *) {}
    // The nine words of a live frame, as the main graph shows them.
    virtual void liveFrameDrawn(const unsigned short *) {}
    // The 256 samples of a whole video read.
    virtual void videoSignalRead(const unsigned short *) {}
    virtual void statusShown(const char *) {}
};

// nullptr stops the notifications.
void SetCoreListener(CoreListener *listener);

void NotifyPanelsLoaded();
void NotifyRunEnding();
void NotifyParameterSetRead(ParamPlace place, const unsigned short *words, const char *path);
void NotifyParameterSetWritten(ParamPlace place, const unsigned short *words, const char *path);
void NotifyLiveFrameDrawn(const unsigned short *words);
void NotifyVideoSignalRead(const unsigned short *samples);
void NotifyStatusShown(const char *text);
