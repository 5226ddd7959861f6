// The sensor's sixteen parameters, the 16-word packet that carries them, and the companions
// the tool keeps beside them. Every parameter is an unsigned 16-bit word.
#pragma once

constexpr int PNUM = 16;

extern unsigned short power;    // word 0: power setting, 0-1000
extern unsigned short pwrMode;  // word 1: power mode, 0/1
extern unsigned short vThd;     // word 2: video threshold, 0-1023
extern unsigned short bVal;     // word 3: background value, 0-1023
extern unsigned short polarity; // word 4: polarity, 0/1
extern unsigned short eMode;    // word 5: evaluation mode, 0-3
extern unsigned short eBeg;     // word 6: left edge of the evaluation window, 0-1024
extern unsigned short eEnd;     // word 7: right edge of the evaluation window, 0-1024
extern unsigned short tVal;     // word 8: teach value (set point), 0-1024
extern unsigned short tTol;     // word 9: tolerance, 0-512
extern unsigned short iGain;    // word 10: gain, 0/1
extern unsigned short ePoti;    // word 11: tolerance-enable switch, 0/1
extern unsigned short ccdMode;  // word 12: CCD mode, 0-2
extern unsigned short pStart;   // word 13: first pixel of the window in CCD mode 1, 0-1023
extern unsigned short bMode;    // word 14: background mode, 0-2
extern unsigned short para15;   // word 15: scale factor in thousandths, 800-1200

// The packet: payload of parameter frames and parameter files, and where received frames land.
extern unsigned short pp[PNUM];

// The tool's own copy of the scale factor, for the micrometre display.
extern float scaleF;

// Video curve: x position and threshold of each of the 256 samples.
constexpr int kVideoSamples = 256;
extern unsigned short xArray[kVideoSamples];
extern unsigned short thdArray[kVideoSamples];

void CopyVarsToPP();
void CopyPPtoVars();
// Puts the start-up defaults into the sixteen variables.
void AssignParameterDefaults();
// Replaces every value above its limit (and a scale factor below 800); ccdMode and bMode are
// never corrected.
void RangeCheckParameters();
