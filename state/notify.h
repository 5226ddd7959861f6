// SPDX-License-Identifier: GPL-3.0-or-later
// What the core tells a listener above it, at the moment it happens: the panels loaded and the
// run ending, parameter sets read or written, live frames and video signals shown, status
// texts shown. With no listener set nothing happens, and a listener only learns: it must not
// start operations, send or show anything on the panels from inside these calls.
#pragma once

#include "state/sizes.h"

enum class ParamPlace { Ram, Eeprom, File };

// A live frame as the main panel has just shown it.
struct ShownLiveFrame {
    const unsigned short *words; // its LIVE_WORDS words (link/protocol.h)
    bool pixels;                 // the unit switch showed pixels (else micrometres)
    bool distance;               // evaluation mode 2: a distance between two edges
    float scale;                 // the factor the scaled values were shown with
};

// A video signal as the video graph has just drawn it, each array of kVideoSamples.
struct ShownVideoSignal {
    const unsigned short *samples;
    const unsigned short *positions; // where along the line each sample lies, in pixels
    const unsigned short *thresholds;
};

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
    virtual void liveFrameShown(const ShownLiveFrame &) {}
    // After a whole video read.
    virtual void videoSignalShown(const ShownVideoSignal &) {}
    virtual void statusShown(const char *) {}
};

// nullptr stops the notifications.
void SetCoreListener(CoreListener *listener);

void NotifyPanelsLoaded();
void NotifyRunEnding();
void NotifyParameterSetRead(ParamPlace place, const unsigned short *words, const char *path);
void NotifyParameterSetWritten(ParamPlace place, const unsigned short *words, const char *path);
void NotifyLiveFrameShown(const ShownLiveFrame &frame);
void NotifyVideoSignalShown(const ShownVideoSignal &signal);
void NotifyStatusShown(const char *text);
