// SPDX-License-Identifier: GPL-3.0-or-later
// What the line did in answer to the echo check, told from the bytes the tool sent and those
// that came back in the check's time, and what a technician does about it. A pure function of
// the bytes: no traffic of its own, so it can judge any exchange the tool already made.
#pragma once

#include <QByteArray>
#include <QString>

struct LineDiagnosis {
    enum Kind {
        Answered,  // a frame with the echo word 0x00AA: a sensor answers
        Silent,    // nothing came back
        OwnFrame,  // the echo frame itself came back: transmit and receive are bridged
        NoFrame,   // bytes came, but no frame
        WrongEcho, // a frame whose echo word is not 0x00AA: another device answers
    };
    Kind kind = Silent;
    QString finding; // empty when a sensor answered
    QString remedy;
};

// `sent`: the echo frame as written; `received`: every byte that came back until the check
// ended, in order.
LineDiagnosis DiagnoseLineCheck(const QByteArray &sent, const QByteArray &received);
