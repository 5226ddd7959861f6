// SPDX-License-Identifier: GPL-3.0-or-later
#include "pty_pair.h"

#include <QDeadlineTimer>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair() {
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        master = slave = -1;
        return;
    }
    path = QString::fromLocal8Bit(name);
    // A child process of the test must not hold either end: it would count as the program
    // behind the device.
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
}

PtyPair::~PtyPair() {
    closeMaster();
    if (slave >= 0)
        ::close(slave);
}

bool PtyPair::send(const QByteArray &bytes) {
    qsizetype done = 0;
    while (master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            return false;
        done += n;
    }
    return done == bytes.size();
}

QByteArray PtyPair::receive(int count, int timeoutMs) {
    QByteArray got;
    const QDeadlineTimer deadline(timeoutMs);
    while (master >= 0 && got.size() < count) {
        pollfd ready{master, POLLIN, 0};
        if (poll(&ready, 1, int(deadline.remainingTime())) <= 0)
            break;
        char chunk[4096];
        const ssize_t n = ::read(master, chunk, sizeof chunk);
        if (n <= 0)
            break;
        got.append(chunk, n);
    }
    return got;
}

void PtyPair::closeMaster() {
    if (master >= 0)
        ::close(master);
    master = -1;
}
