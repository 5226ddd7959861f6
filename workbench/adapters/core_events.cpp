// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/adapters/core_events.h"

#include "link/protocol.h"

namespace {

QVector<quint16> wordsOf(const unsigned short *words, int count) {
    return QVector<quint16>(words, words + count);
}

QString pathOf(const char *path) {
    return path ? QString::fromLocal8Bit(path) : QString();
}

} // namespace

CoreEvents::CoreEvents() {
    SetCoreListener(this);
}

CoreEvents::~CoreEvents() {
    SetCoreListener(nullptr);
}

void CoreEvents::parameterSetRead(ParamPlace place, const unsigned short *words, const char *path) {
    emit setRead(place, wordsOf(words, PNUM), pathOf(path));
}

void CoreEvents::parameterSetWritten(ParamPlace place, const unsigned short *words,
                                     const char *path) {
    emit setWritten(place, wordsOf(words, PNUM), pathOf(path));
}

void CoreEvents::liveFrameShown(const ShownLiveFrame &frame) {
    emit liveFrame(wordsOf(frame.words, LIVE_WORDS), LiveValuesOf(frame));
}

void CoreEvents::videoSignalShown(const ShownVideoSignal &signal) {
    emit videoSignal(SnapshotOf(signal, QDateTime::currentDateTime()));
}

void CoreEvents::statusShown(const char *text) {
    emit status(QString::fromUtf8(text));
}
