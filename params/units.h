// SPDX-License-Identifier: GPL-3.0-or-later
// Number conversions shared by the live indicators, the teach mirrors and the scale-factor
// field: pixels to micrometres, and the scale factor in thousandths.
#pragma once

// PPITCH * w / 1000 in 32-bit integers, truncated; the low 16 bits.
unsigned short MicrometresOf(unsigned short w);
// (scaleF * PPITCH) * w / 1000.0 in double precision, truncated; the low 16 bits.
unsigned short ScaledMicrometresOf(unsigned short w);
// The same with a given scale factor in place of scaleF.
unsigned short ScaledMicrometresOf(unsigned short w, float scale);
// The scale factor f in thousandths: 1000 × f rounded to single precision, then truncated to
// its low 16 bits. Defined for every float: NaN and infinities give 0.
unsigned short ThousandthsOf(float f);
