// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/shared/line_diagnosis.h"

#include "link/protocol.h"
#include "workbench/adapters/comm_decode.h"

namespace {

constexpr int kShownBytes = 8;

// As the tool reads it: the first 36 bytes are the frame, whatever their sync word.
int echoWordOf(const QByteArray &frame) {
    return FirstWordOf(frame.left(kFrameBytes));
}

QString firstBytes(const QByteArray &bytes) {
    const QString hex = HexOf(bytes.left(kShownBytes));
    return bytes.size() > kShownBytes ? hex + QStringLiteral(" …") : hex;
}

LineDiagnosis noFrame(const QByteArray &received) {
    const QString what =
        received.size() < kFrameBytes
            ? QStringLiteral("%1 bytes came back, fewer than a frame's %2")
                  .arg(received.size())
                  .arg(kFrameBytes)
            : QStringLiteral("%1 bytes came back, but no frame: they do not start with the "
                             "sync word 0x0055")
                  .arg(received.size());
    return {LineDiagnosis::NoFrame, what + QStringLiteral(" (%1)").arg(firstBytes(received)),
            QStringLiteral("the line runs at another speed or level: the sensor must be set to "
                           "19200 baud, 8 data bits, no parity, 1 stop bit; check that the "
                           "adapter gives RS-232 levels (not TTL) and that ground is connected")};
}

} // namespace

LineDiagnosis DiagnoseLineCheck(const QByteArray &sent, const QByteArray &received) {
    if (received.isEmpty())
        return {LineDiagnosis::Silent,
                QStringLiteral("the sensor is silent: nothing came back to the echo check"),
                QStringLiteral("check that the sensor hangs on this port and has power, the "
                               "cable (TX, RX and ground) and that the adapter gives RS-232 "
                               "levels, not TTL; or pick another port")};
    if (received.size() >= kFrameBytes && echoWordOf(received) == ECHO_ANSWER)
        return {LineDiagnosis::Answered, {}, {}};
    if (!sent.isEmpty() && received.startsWith(sent))
        return {LineDiagnosis::OwnFrame,
                QStringLiteral("the echo frame the tool sent came back unchanged: transmit and "
                               "receive are bridged (a loop-back plug, or a half-duplex adapter "
                               "that hears itself)"),
                QStringLiteral("take the loop-back plug off and connect the sensor; use a "
                               "full-duplex RS-232 adapter, or switch the adapter's echo off")};
    if (received.size() >= kFrameBytes && StartsWithSync(received))
        return {
            LineDiagnosis::WrongEcho,
            QStringLiteral("a frame came back, but its echo word is 0x%1, not 0x00AA: "
                           "another device answers on this port")
                .arg(QString::number(echoWordOf(received), 16).toUpper().rightJustified(4, '0')),
            QStringLiteral("pick the port the sensor hangs on, or connect the sensor to "
                           "this one")};
    return noFrame(received);
}
