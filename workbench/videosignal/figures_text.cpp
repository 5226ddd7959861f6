// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/videosignal/figures_text.h"

QString MissingPartText(const SignalFigures &f) {
    if (f.twoParts())
        return {};
    return f.floor ? QStringLiteral("The signal has no bright part: no verdicts, no suggested "
                                    "threshold.")
                   : QStringLiteral("The signal has no dark part: no verdicts, no suggested "
                                    "threshold.");
}

QString FiguresText(const SignalFigures &f) {
    QString text = QStringLiteral("Threshold: %1\n").arg(f.threshold);
    for (int i = 0; i < kFigureCount; ++i) {
        const auto figure = Figure(i);
        const Verdict verdict = VerdictOf(f, figure);
        text += QStringLiteral("%1: %2").arg(NameOf(figure), ValueText(f, figure));
        if (verdict != Verdict::None)
            text += QStringLiteral(" (%1)").arg(NameOf(verdict));
        text += '\n';
    }
    if (f.suggestedThreshold)
        text += QStringLiteral("Suggested threshold: %1\n").arg(*f.suggestedThreshold);
    else
        text += MissingPartText(f) + '\n';
    text += QStringLiteral("Crossings: %1\n").arg(f.crossings.size());
    for (const Crossing &c : f.crossings)
        text += QStringLiteral("  %1 px %2, moves %3 px per noise width\n")
                    .arg(c.positionPx, 0, 'f', 2)
                    .arg(c.rising ? QStringLiteral("rising") : QStringLiteral("falling"))
                    .arg(c.movePerNoisePx, 0, 'f', 3);
    return text;
}
