// SPDX-License-Identifier: GPL-3.0-or-later
// Which device a serial port number stands for.
#pragma once

#include <QString>

// The device path of port `port`: RMOX_COM<port> when set (made absolute), else a device
// mapped with rtSetComDevice, else the fixed table (1-4 /dev/ttyS0-3, 5-8 /dev/ttyUSB0-3, 9-10
// /dev/ttyACM0-1). Empty for a port with no device. The environment is read at every call, so a
// changed override takes effect at the next open.
QString rtComDevice(int port);

// `name` as a path Qt opens as given: Qt would read a bare relative name as one below /dev.
QString rtAbsoluteDevicePath(const QString &name);
