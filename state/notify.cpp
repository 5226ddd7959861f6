// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/notify.h"

namespace {

CoreListener *listener = nullptr;

} // namespace

void SetCoreListener(CoreListener *l) {
    listener = l;
}

void NotifyPanelsLoaded() {
    if (listener)
        listener->panelsLoaded();
}

void NotifyRunEnding() {
    if (listener)
        listener->runEnding();
}

void NotifyParameterSetRead(ParamPlace place, const unsigned short *words, const char *path) {
    if (listener)
        listener->parameterSetRead(place, words, path);
}

void NotifyParameterSetWritten(ParamPlace place, const unsigned short *words, const char *path) {
    if (listener)
        listener->parameterSetWritten(place, words, path);
}

void NotifyLiveFrameShown(const ShownLiveFrame &frame) {
    if (listener)
        listener->liveFrameShown(frame);
}

void NotifyVideoSignalShown(const ShownVideoSignal &signal) {
    if (listener)
        listener->videoSignalShown(signal);
}

void NotifyStatusShown(const char *text) {
    if (listener)
        listener->statusShown(text);
}
