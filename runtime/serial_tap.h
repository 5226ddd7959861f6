// SPDX-License-Identifier: GPL-3.0-or-later
// Qt-facing seam of the serial ports for tools above the application (a communication log, a
// port finder): what the ports do, reported as it happens. Reporting never changes what the ports do, and nothing here knows about sensors.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

struct SerialTapEvent {
    enum Kind {
        Opened,     // `device` opened for `port`
        OpenFailed, // the open of `device` failed: `systemError`, `errorText`
        Closed,     // the port was closed (by the application, or after a device failure)
        Written,    // `bytes` were taken for sending (a short write carries only those taken)
        Received,   // `bytes` reached the tool from the device (as they arrive, in chunks)
        Read,       // the application read `bytes` (ComRd): received bytes it took
        Flushed,    // a queue was emptied: `input` says which. `bytes` are those it dropped
                    // unread: received ones first, then any still in the system's queue,
                    // which are reported only here
        Failed,     // the device failed while open: `systemError`, `errorText`
    };
    Kind kind = Opened;
    int port = 0;
    qint64 nanoseconds = 0; // monotonic, taken when the bytes reached or left the tool
    QByteArray bytes;
    QString device;
    int requested = 0;   // Written: the bytes the application asked to write
    int systemError = 0; // errno where the system gave one, else 0
    QString errorText;   // the system's text for it
    bool input = true;
};

using SerialTap = std::function<void(const SerialTapEvent &)>;
// One tap at a time; an empty function removes it. The tap runs on the GUI thread, inside the
// serial call that caused the event, and must not call back into the serial functions.
void rtSetSerialTap(SerialTap tap);
// The clock of the events' timestamps, in nanoseconds.
qint64 rtSerialClock();

