// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of one video signal as plain text: for the command line, and for a copy.
#pragma once

#include "workbench/videosignal/signal_figures.h"

#include <QString>

// What a signal without a dark or a bright part lacks, in words; empty when it has both.
QString MissingPartText(const SignalFigures &figures);
// One figure with its value and verdict a line, then the suggested threshold and the crossings.
QString FiguresText(const SignalFigures &figures);
