// SPDX-License-Identifier: GPL-3.0-or-later
// Which device a serial port number stands for.
#pragma once

#include <QString>

// Where a port's device comes from, first found first: given for the run (the command line),
// the environment (RMOX_COM<port>), mapped during the run (a chosen device, an adapter back
// under another name), the fixed table.
enum class ComOrigin { None, Given, Environment, Mapped, Table };

// Gives port `port` its device for the whole run, before the environment.
void rtGiveComDevice(int port, const QString &path);
// Maps port `port` to a device for the rest of the run (an empty path removes the mapping).
// The environment and a given device still come first.
void rtSetComDevice(int port, const QString &path);
ComOrigin rtComDeviceOrigin(int port);
// The highest port given or set in the environment, 0 when none is.
int rtHighestNamedPort();

// The device path of port `port` from the first origin that names one (made absolute); for the
// fixed table (1-4 /dev/ttyS0-3, 5-8 /dev/ttyUSB0-3, 9-10
// /dev/ttyACM0-1). Empty for a port with no device. The environment is read at every call, so a
// changed override takes effect at the next open.
QString rtComDevice(int port);

// `name` as a path Qt opens as given: Qt would read a bare relative name as one below /dev.
QString rtAbsoluteDevicePath(const QString &name);
