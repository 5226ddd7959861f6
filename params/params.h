// The parameter set: the sixteen variables packed into and out of the packet pp, their
// start-up defaults and the range check of the panel refresh.
#pragma once

#include "state/globals.h"

void CopyVarsToPP();
void CopyPPtoVars();
// Puts the start-up defaults into the sixteen variables.
void AssignParameterDefaults();
// Replaces every value above its limit (and a scale factor below 800); ccdMode and bMode are
// never corrected.
void RangeCheckParameters();
