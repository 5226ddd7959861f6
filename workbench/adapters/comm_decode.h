// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor's traffic in the tool's own terms: the order codes, the parameter names of
// parameter frames, the fields of a live frame, the video block request and its samples. Pure
// functions of the bytes and the request they belong to; they take any bytes, as the tool
// does, and decode as much as there is.
#pragma once

#include "link/protocol.h"

#include <QByteArray>
#include <QString>

// The order code's meaning; empty for a code the tool never sends.
QString OrderMeaning(int order);
// The order code with its meaning, e.g. "8 live values".
QString OrderTitle(int order);
// The data of a request frame, e.g. "power=500 pwrMode=0 …" or "block 2 (samples 128–191) …".
QString DecodeRequest(const QByteArray &bytes);
// The data of bytes read in answer to a request of `requestOrder` (0: no request yet) whose
// data word 0 was `firstSample`; a frame's sync and order words when they are not as sent.
QString DecodeReply(const QByteArray &bytes, int requestOrder, int firstSample);
// "00 55 00 08 …"
QString HexOf(const QByteArray &bytes);

// The bytes a reply to `order` needs: 36 for a frame, 128 for a video block, 0 when the tool
// awaits no reply.
int ReplyBytesFor(int order);
// The bytes begin with the frame's sync word.
bool StartsWithSync(const QByteArray &bytes);
// Whether a frame starts with the sync word and the order word `order`.
bool FrameMatches(const QByteArray &bytes, int order);
// The order word of a frame, or 0 when it has fewer than four bytes.
int OrderWordOf(const QByteArray &bytes);
// Data word 0 of a frame, or 0 when it has fewer than six bytes.
int FirstWordOf(const QByteArray &bytes);
