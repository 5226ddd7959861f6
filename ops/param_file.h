// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter file: the packet's 16 words as text, one number a line.
#pragma once

// Save dialog; true when a file was chosen (file_name holds it).
bool ChooseSaveFile();
void SendParaToFile();
void ReadParaFromFile();
