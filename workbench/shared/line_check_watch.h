// SPDX-License-Identifier: GPL-3.0-or-later
// The echo checks of the tool's own port, judged from the traffic the tool already saw: the
// frame it sent and every byte that came back until the status line showed the check's
// verdict. It sends nothing, so any feature may ask what the port in use did.
#pragma once

#include "workbench/shared/line_diagnosis.h"

#include <QObject>
#include <QString>

class CoreEvents;
class SerialEvents;
struct SerialTapEvent;

class LineCheckWatch : public QObject {
    Q_OBJECT
  public:
    struct Verdict {
        int port = 0; // 0: no check was judged since the port opened
        QString device;
        LineDiagnosis diagnosis;
        qint64 replyNs = -1; // from the echo's send to the reply's last byte; -1 without one
    };

    LineCheckWatch(CoreEvents &core, SerialEvents &serial);

    // The port the tool has open now and its device; 0 and empty when none is open.
    int openPort() const { return open_; }
    QString openDevice() const { return device_; }
    // The last check judged on the port open now.
    const Verdict &last() const { return last_; }
    // The check under way ended without a verdict of its own (one that gave way to the user).
    void forget() { check_ = {}; }

  signals:
    void judged(const LineCheckWatch::Verdict &verdict);

  private:
    // The echo check under way: the frame sent and the bytes that came back since.
    struct Check {
        int port = 0; // 0: none under way
        QByteArray sent;
        QByteArray received;
        qint64 sentNs = 0;
        qint64 frameNs = -1; // when a frame's worth of bytes had come back
    };

    void noteSerial(const SerialTapEvent &e);
    void noteStatus();

    Check check_;
    Verdict last_;
    int open_ = 0;
    QString device_;
};
