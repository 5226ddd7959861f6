// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the sensor's port and the echo check of the line.
#include "link/COM232.h"

#include "link/protocol.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "state/status_line.h"

namespace {

// The sensor's fixed line: 19200 baud, no parity, 8 data bits, 1 stop bit, no handshake.
constexpr long kBaudRate = 19200;
constexpr int kNoParity = 0;
constexpr int kDataBits = 8;
constexpr int kStopBits = 1;
constexpr int kQueueBytes = 4096;
constexpr double kComTimeoutSeconds = 2.0;
constexpr int kNoHandshake = 0;

struct OpenError {
    int code;
    const char *text;
};

const OpenError kOpenErrors[] = {
    {-1, "Unknown system error"}, {-2, "Invalid port number"},
    {-3, "Port is not open"},     {-4, "Unknown I/0 error"},
    {-5, "RS-232 error!"},        {-6, "No serial port found"},
    {-7, "Cannot open port"},     {-99, "Timeout"},
};

const char *openErrorText(int code) {
    for (const OpenError &e : kOpenErrors)
        if (e.code == code)
            return e.text;
    return "RS-232 error!";
}

bool echoOrUserInput() {
    return rx_flag == 1 || UserInputWaiting() == 1;
}

// Once the echo's wait has ended; a reply that came in the pass in which the time-out fired
// still counts.
int echoResult() {
    int result = 0;
    if (rx_flag == 1) {
        result = pp[0] == ECHO_ANSWER ? 1 : 0;
        SetStatusText(result ? "Echo Check - Line Ok!" : "read error - not sync byte 0xAA!");
    } else {
        SetStatusText("Timeout-RS-232...");
    }
    ShowStatus(szStatus);
    return result;
}

} // namespace

int OpenSensorPort(int port) {
    const int result = OpenComConfig(port, "", kBaudRate, kNoParity, kDataBits, kStopBits,
                                     kQueueBytes, kQueueBytes);
    if (result < 0) {
        SetStatusText(openErrorText(result));
        return result;
    }
    SetComTime(port, kComTimeoutSeconds);
    FlushInQ(port);
    FlushOutQ(port);
    SetCTSMode(port, kNoHandshake);
    InstallComCallback(port, eventMask, kFrameBytes, sync, RX_Receive_Function, nullptr);
    return result;
}

// Right after the set-up has emptied both queues, so the echo goes out without a flush.
int CheckComLine(int port) {
    CopyVarsToPP();
    SendFrame(port, ORDER_ECHO, pp, Flush::None);
    AwaitFrame(kOrders[ORDER_ECHO].waitTicks, FirstTest::Timeout);
    return echoResult();
}

// The user's input is held while the echo is awaited; input that comes ends the wait, and the
// check gives way without a word, so the operation the input starts never runs inside it.
int RecheckComLine(int port) {
    CopyVarsToPP();
    SendFrame(port, ORDER_ECHO, pp, Flush::None);
    HoldUserInput(1);
    rx_flag = 0;
    AwaitReply(echoOrUserInput, kOrders[ORDER_ECHO].waitTicks, FirstTest::Timeout);
    const bool gaveWay = UserInputWaiting() == 1;
    HoldUserInput(0);
    return gaveWay ? -1 : echoResult();
}
