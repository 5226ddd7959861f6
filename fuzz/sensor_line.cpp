// SPDX-License-Identifier: GPL-3.0-or-later
#include "sensor_line.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

SensorLine::SensorLine() {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    path_ = name;
    termios raw{};
    tcgetattr(slave_, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
}

SensorLine::~SensorLine() {
    if (master_ >= 0)
        close(master_);
    if (slave_ >= 0)
        close(slave_);
}

bool SensorLine::send(const QByteArray &bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QByteArray SensorLine::receive(int count, int timeoutMs) {
    QByteArray got;
    const QDeadlineTimer deadline(timeoutMs);
    while (got.size() < count) {
        pollfd ready{master_, POLLIN, 0};
        const int polled = poll(&ready, 1, int(deadline.remainingTime()));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            break;
        char chunk[4096];
        const ssize_t n = read(master_, chunk, std::min(sizeof chunk, size_t(count - got.size())));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got.append(chunk, n);
    }
    return got;
}
