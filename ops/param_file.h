// The parameter file: the packet's 16 words as text, one number a line.
#pragma once

#include "app/VidaREZezad11.h"

extern char file_name[kPathSize];

// Save dialog; true when a file was chosen (file_name holds it).
bool ChooseSaveFile();
void SendParaToFile();
void ReadParaFromFile();
