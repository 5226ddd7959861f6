// Small probes of the tool's state shared by the operation tests.
#pragma once

#include "params/params.h"
#include "state/globals.h"

#include <QByteArray>
#include <QString>
#include <array>

namespace toolprobe {

using Words = std::array<unsigned short, PNUM>;

// The parameter variables, in packet order.
Words variables();
// The data words of a frame, high byte first after the sync and order words.
Words wordsOf(const QByteArray &frame);
// Points port 1 at `device` and sets it up as start-up does (line check and read-back).
void attach(const QString &device);
int valueOf(int panel, int control);
int attributeOf(int panel, int control, int attribute);
int dimmed(int panel, int control);
// A Get from the sensor's RAM, as a commit of the Get button with RAM chosen.
void getFromRam();

} // namespace toolprobe
