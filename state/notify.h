// What the core tells a listener above it, at the moment it happens: parameter sets read or
// written, live frames drawn, video signals read, status texts shown. With no listener set
// nothing happens, and a listener only learns: it must not start operations, send or show
// anything from inside these calls.
#pragma once

enum class ParamPlace { Ram, Eeprom, File };

class CoreListener {
  public:
    virtual ~CoreListener() = default;
    // `words` holds the 16 words of the set; `path` names the file (nullptr for the sensor).
    virtual void parameterSetRead(ParamPlace place, const unsigned short *words,
                                  const char *path) = 0;
    virtual void parameterSetWritten(ParamPlace place, const unsigned short *words,
                                     const char *path) = 0;
    // The nine words of a live frame, as the main graph shows them.
    virtual void liveFrameDrawn(const unsigned short *words) = 0;
    // The 256 samples of a whole video read.
    virtual void videoSignalRead(const unsigned short *samples) = 0;
    virtual void statusShown(const char *text) = 0;
};

// nullptr stops the notifications.
void SetCoreListener(CoreListener *listener);

void NotifyParameterSetRead(ParamPlace place, const unsigned short *words, const char *path);
void NotifyParameterSetWritten(ParamPlace place, const unsigned short *words, const char *path);
void NotifyLiveFrameDrawn(const unsigned short *words);
void NotifyVideoSignalRead(const unsigned short *samples);
void NotifyStatusShown(const char *text);
