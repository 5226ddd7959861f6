// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/finder/probe_finding.h"

bool ProbeFinding::answered() const {
    return kind == Answered || (kind == InUse && replyMs >= 0);
}

QString VerdictText(const ProbeFinding &f) {
    switch (f.kind) {
    case ProbeFinding::Answered:
        return QStringLiteral("sensor answered (%1 ms)").arg(f.replyMs, 0, 'f', 1);
    case ProbeFinding::Silent:
        return QStringLiteral("nothing came back");
    case ProbeFinding::OwnFrame:
        return QStringLiteral("own frame came back");
    case ProbeFinding::NoFrame:
        return QStringLiteral("bytes but no frame");
    case ProbeFinding::WrongEcho:
        return QStringLiteral("frame with the wrong echo word");
    case ProbeFinding::Busy:
        return QStringLiteral("busy");
    case ProbeFinding::Permission:
        return QStringLiteral("no permission");
    case ProbeFinding::Missing:
        return QStringLiteral("not present");
    case ProbeFinding::InUse:
        return f.replyMs >= 0 ? QStringLiteral("in use by this tool: sensor answered (%1 ms)")
                                    .arg(f.replyMs, 0, 'f', 1)
                              : QStringLiteral("in use by this tool");
    case ProbeFinding::Abandoned:
        return QStringLiteral("did not finish: abandoned");
    case ProbeFinding::Cancelled:
        return QStringLiteral("cancelled");
    case ProbeFinding::Failed:
        return QStringLiteral("cannot be used");
    }
    return {};
}
