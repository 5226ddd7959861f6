// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/params.h"

namespace {

// Packet order: word i carries *kWords[i].
unsigned short *const kWords[PNUM] = {&power,   &pwrMode, &vThd,  &bVal,  &polarity, &eMode,
                                      &eBeg,    &eEnd,    &tVal,  &tTol,  &iGain,    &ePoti,
                                      &ccdMode, &pStart,  &bMode, &para15};

struct Limit {
    unsigned short *var;
    unsigned short max;
    unsigned short replacement;
};

// An evaluation mode above 3 becomes 3: the live plot already draws every such mode as 3.
const Limit kLimits[] = {
    {&power, 1000, 500}, {&pwrMode, 1, 0},      {&vThd, 1023, 512}, {&bVal, 1023, 60},
    {&polarity, 1, 1},   {&eMode, 3, 3},        {&eBeg, 1024, 200}, {&eEnd, 1024, 800},
    {&tVal, 1024, 512},  {&tTol, 512, 128},     {&iGain, 1, 0},     {&ePoti, 1, 1},
    {&pStart, 1023, 1},  {&para15, 1200, 1200},
};

constexpr unsigned short kScaleFactorMin = 800;

} // namespace

void CopyVarsToPP() {
    for (int i = 0; i < PNUM; ++i)
        pp[i] = *kWords[i];
}

void CopyPPtoVars() {
    for (int i = 0; i < PNUM; ++i)
        *kWords[i] = pp[i];
}

int PacketWordOf(const unsigned short *variable) {
    for (int i = 0; i < PNUM; ++i) {
        if (kWords[i] == variable)
            return i;
    }
    return -1;
}

void AssignParameterDefaults() {
    power = 500;
    pwrMode = 0;
    vThd = 512;
    bVal = 64;
    polarity = 1;
    eMode = 1;
    eBeg = 200;
    eEnd = 800;
    tVal = 512;
    tTol = 100;
    iGain = 1;
    ePoti = 1;
    ccdMode = 0;
    pStart = 1;
    bMode = 0;
    para15 = 1000;
}

void RangeCheckParameters() {
    for (const Limit &l : kLimits) {
        if (*l.var > l.max)
            *l.var = l.replacement;
    }
    if (para15 < kScaleFactorMin)
        para15 = kScaleFactorMin;
}
