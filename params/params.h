// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter set: the sixteen variables packed into and out of the packet pp, their
// start-up defaults and the range check of the panel refresh.
#pragma once

#include "state/globals.h"

// Positions along the line in pixel units: the main graph spans 0 to 1024; a CCD window
// covers 256 pixels, from its first pixel to the first + 255.
constexpr int kLineEnd = 1024;
constexpr int kWindowWidth = 256;
constexpr int kLastWindowStart = kLineEnd - kWindowWidth;
constexpr int kWindowLastOffset = kWindowWidth - 1;

void CopyVarsToPP();
void CopyPPtoVars();
// The packet word that carries `variable`, or -1 for a variable outside the set.
int PacketWordOf(const unsigned short *variable);
// Puts the start-up defaults into the sixteen variables.
void AssignParameterDefaults();
// Replaces every value above its limit (and a scale factor below 800); ccdMode and bMode are
// never corrected.
void RangeCheckParameters();
