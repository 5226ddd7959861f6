// SPDX-License-Identifier: GPL-3.0-or-later
// What a search found on one device: the verdict, what was seen and what to do about it.
#pragma once

#include <QString>

struct ProbeFinding {
    enum Kind {
        Answered,  // a sensor answered the echo check
        Silent,    // nothing came back
        OwnFrame,  // the echo frame itself came back
        NoFrame,   // bytes, but no frame
        WrongEcho, // a frame with another echo word
        Busy,      // another process holds or has locked the device
        Permission,
        Missing,
        InUse,     // the tool's own port: told from its own traffic, never opened
        Abandoned, // the probe did not end in its time
        Cancelled,
        Failed, // the device could not be opened or set up for another reason
    };
    Kind kind = Cancelled;
    QString finding;
    QString remedy;
    double replyMs = -1; // from the echo's send to the reply's last byte; -1 without a reply
    bool answered() const;
};

// The verdict as the search's list names it: "sensor answered", "nothing came back", ...
QString VerdictText(const ProbeFinding &f);
