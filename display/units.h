// Number conversions of the display that the micrometre indicators and the scale-factor
// field share.
#pragma once

// The low 16 bits of v truncated toward zero, as an unsigned number. Defined for every
// double: values beyond the 32-bit range keep their low bits, NaN and infinities give 0.
unsigned short LowWordOfTruncated(double v);

// The scale factor f in thousandths: 1000 × f rounded to single precision, then truncated.
unsigned short ThousandthsOf(float f);
