// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor's end of a pseudo-terminal whose other end the tool opens as its serial port.
// Every call survives signals: libFuzzer's timer interrupts blocking calls now and then.
#pragma once

#include <QByteArray>
#include <string>

class SensorLine {
  public:
    // Opens both ends in raw mode. The slave end stays open here too, so the sensor's end
    // never sees a hang-up while the tool closes and reopens its port.
    SensorLine();
    ~SensorLine();
    SensorLine(const SensorLine &) = delete;
    SensorLine &operator=(const SensorLine &) = delete;

    bool isOpen() const { return master_ >= 0 && slave_ >= 0; }
    const std::string &devicePath() const { return path_; }
    // Writes all bytes; false on an error.
    bool send(const QByteArray &bytes);
    // What the tool sent, until `count` bytes came or `timeoutMs` passed.
    QByteArray receive(int count, int timeoutMs);

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};
