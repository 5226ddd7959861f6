// The live picture: one live frame from the sensor drawn on the main graph and shown on the
// five live indicators, in pixels or micrometres.
#pragma once

constexpr int PPITCH = 7800; // pixel pitch in nanometres: 7.8 µm per pixel

extern unsigned short pix1;    // first pixel of the video window, from the live frame
extern unsigned short edcnt;   // edge count of the live frame
extern unsigned short mvstart; // comparison values of the live frame
extern unsigned short mvend;

void PlotRAWValues();

// PPITCH * w / 1000 in 32-bit integers, truncated; the low 16 bits.
unsigned short MicrometresOf(unsigned short w);
// (scaleF * PPITCH) * w / 1000.0 in double precision, truncated; the low 16 bits.
unsigned short ScaledMicrometresOf(unsigned short w);
