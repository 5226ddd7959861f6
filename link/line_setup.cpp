// Opening the sensor's port, the echo check of the line, and the port ring.
#include "app/VidaREZezad11.h"
#include "app/panel_controls.h"
#include "app/tick_timer.h"
#include "link/COM232.h"
#include "ops/transfer.h"
#include "params/params.h"
#include "runtime/runtime.h"

namespace {

// The sensor's fixed line: 19200 baud, no parity, 8 data bits, 1 stop bit, no handshake.
constexpr long kBaudRate = 19200;
constexpr int kNoParity = 0;
constexpr int kDataBits = 8;
constexpr int kStopBits = 1;
constexpr int kQueueBytes = 4096;
constexpr double kComTimeoutSeconds = 2.0;
constexpr int kNoHandshake = 0;

constexpr unsigned short kOrderEcho = 7;
constexpr unsigned short kEchoAnswer = 0x00AA;

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

void configurePort(int port) {
    SetComTime(port, kComTimeoutSeconds);
    FlushInQ(port);
    FlushOutQ(port);
    SetCTSMode(port, kNoHandshake);
    InstallComCallback(port, eventMask, kFrameBytes, sync, RX_Receive_Function, nullptr);
}

// Waits for the echo. A reply that came in the pass in which the time-out fired still counts.
void waitForEcho() {
    rx_flag = 0;
    StartTickTimer();
    for (;;) {
        ProcessSystemEvents();
        if (ttick > kTimeoutTicks) {
            SetStatusText("Timeout-RS-232...");
            break;
        }
        if (rx_flag != 0)
            break;
    }
    StopTickTimer();
}

} // namespace

void InitRS232(int port) {
    ret = OpenComConfig(port, "", kBaudRate, kNoParity, kDataBits, kStopBits, kQueueBytes,
                        kQueueBytes);
    if (ret < 0) {
        SetStatusText(openErrorText(ret));
    } else {
        configurePort(port);
        ret = CheckComLine(port);
        if (ret == 1) {
            target = RAM;
            PushGET(RAM);
        }
    }
    ShowStatus(szStatus);
}

int CheckComLine(int port) {
    int result = 0;
    CopyVarsToPP();
    order = kOrderEcho;
    FillTxBuf(kOrderEcho, pp);
    nBytesW = ComWrt(port, szWriteBuf, kFrameBytes);
    waitForEcho();
    if (rx_flag == 1) {
        result = pp[0] == kEchoAnswer ? 1 : 0;
        SetStatusText(result ? "Echo Check - Line Ok!" : "read error - not sync byte 0xAA!");
    }
    ShowStatus(szStatus);
    return result;
}

int CC_DropDCom(int, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT && event != EVENT_VAL_CHANGED)
        return 0;
    CloseCom(com);
    GetCtrlVal(panelHandle, MAIN_PORT, &com);
    ShowStatus("Init COM-Port ...");
    InitRS232(com);
    return 0;
}
