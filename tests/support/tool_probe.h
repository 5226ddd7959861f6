// SPDX-License-Identifier: GPL-3.0-or-later
// Small probes of the tool's state shared by the operation tests.
#pragma once

#include "params/params.h"
#include "state/globals.h"

#include <QByteArray>
#include <QString>
#include <array>

namespace toolprobe {

using Words = std::array<unsigned short, PNUM>;

// Probes read the tool's state without changing it: neither the variables nor pp.
// The parameter variables, in packet order.
Words variables();
// The set as the panels show it, taken as a Send would take it.
Words panelWords();
// `w` as the panel refresh would correct it.
Words rangeChecked(const Words &w);
// The data words of the frame the receive callback took last.
Words frameTaken();
// The data words of a frame, high byte first after the sync and order words.
Words wordsOf(const QByteArray &frame);
// Points port 1 at `device` and sets it up as start-up does (line check and read-back).
void attach(const QString &device);
int valueOf(int panel, int control);
int attributeOf(int panel, int control, int attribute);
int dimmed(int panel, int control);
// A Get from the sensor's RAM, as a commit of the Get button with RAM chosen.
void getFromRam();
// Writes `w` as a parameter file (or the simulator's EEPROM file): one number a line.
void writeSetFile(const QString &path, const Words &w);

} // namespace toolprobe
