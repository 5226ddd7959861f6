// SPDX-License-Identifier: GPL-3.0-or-later
// The serial module: the 36-byte frame, the receive callback, sending a frame and waiting for
// the reply, the line set-up and check, and the video block read.
#pragma once

#include "link/protocol.h"
#include "state/globals.h"

void FillTxBuf(unsigned short order, const unsigned short *data);
void GetRxBuf(int count);
void RX_Receive_Function(int port, int events, void *callbackData);
// The receive callback on com, or off (event mask 0) while raw bytes are read.
void ReceiveCallbackOn();
void ReceiveCallbackOff();

// Which queues a sender empties before it writes, and in which order.
enum class Flush { None, InThenOut, OutThenIn };
// Sets sync and order, empties the queues of `port` as asked, builds the frame of `code` from
// `data` and writes it; nBytesW keeps the count. True when all 36 bytes were taken.
bool SendFrame(int port, int code, const unsigned short *data, Flush flush);

// Which test a wait makes first after each round of event processing.
enum class FirstTest { Timeout, Reply };
// The common waiting loop: enables the tick timer, processes events until `arrived` holds or
// ttick exceeds `limit`, then stops the timer. True when the reply came first.
bool AwaitReply(bool (*arrived)(), unsigned short limit, FirstTest first);
// AwaitReply for a frame: clears rx_flag first; the receive callback raises it.
bool AwaitFrame(unsigned short limit, FirstTest first);

// Opens `port` with the sensor's line settings and installs the receive callback; returns
// the open's result, and on failure leaves its message in szStatus.
int OpenSensorPort(int port);
int CheckComLine(int port);
// The echo check of a port the tool opened again on its own: as CheckComLine, but it yields to
// the user. Returns -1, leaving szStatus and the status line as they were, when user input
// came while it waited; the input is taken once the caller returns to the event loop.
int RecheckComLine(int port);

int ReadData64(int start, int refFlag);
