// SPDX-License-Identifier: GPL-3.0-or-later
// A pseudo-terminal pair in raw mode that stands in for a serial device: the code under test
// opens the slave path as its port, the test plays the device on the master side.
#pragma once

#include <QByteArray>
#include <QString>

class PtyPair {
  public:
    // Opens both ends. The test keeps the slave open too, so that the master does not see a
    // hang-up when the port under test closes.
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isOpen() const { return master >= 0 && slave >= 0; }
    QString slavePath() const { return path; }
    // The descriptor of the test's own slave end, for reading the line's settings.
    int slaveFd() const { return slave; }

    // Sends bytes from the device side; true when all were written.
    bool send(const QByteArray &bytes);
    // Collects what the port under test sent, until at least `count` bytes came or `timeoutMs`
    // passed.
    QByteArray receive(int count, int timeoutMs);
    // The device hangs up.
    void closeMaster();

  private:
    int master = -1;
    int slave = -1;
    QString path;
};
