// SPDX-License-Identifier: GPL-3.0-or-later
// The sizes of the parameter set and of a video signal: they size the globals and the arrays
// that notifications hand on, so a listener above the core may count with them.
#pragma once

constexpr int PNUM = 16;           // words in the parameter packet
constexpr int kVideoSamples = 256; // samples of one video signal
