// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/finder/sensor_probe.h"

#include "link/protocol.h"
#include "workbench/shared/line_diagnosis.h"
#include "workbench/shared/port_diagnosis.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kPollSliceMs = 10; // how soon a cancel is seen

ProbeFinding fromOpenFailure(const PortDiagnosis &d) {
    switch (d.kind) {
    case PortDiagnosis::Missing:
        return {ProbeFinding::Missing, d.finding, d.remedy};
    case PortDiagnosis::Busy:
        return {ProbeFinding::Busy, d.finding, d.remedy};
    case PortDiagnosis::Permission:
        return {ProbeFinding::Permission, d.finding, d.remedy};
    default:
        return {ProbeFinding::Failed, d.finding, d.remedy};
    }
}

ProbeFinding fromLine(const LineDiagnosis &d, double replyMs) {
    switch (d.kind) {
    case LineDiagnosis::Answered:
        return {ProbeFinding::Answered,
                QStringLiteral("its reply came %1 ms after the echo frame and carries the echo "
                               "word 0x00AA")
                    .arg(replyMs, 0, 'f', 1),
                QString(), replyMs};
    case LineDiagnosis::Silent:
        return {ProbeFinding::Silent,
                QStringLiteral("no byte came back within %1 ms of the echo frame").arg(kAnswerMs),
                d.remedy + QStringLiteral("; a sensor that answers later looks the same here: "
                                          "pick the port to check it with the tool's own, "
                                          "longer wait")};
    case LineDiagnosis::OwnFrame:
        return {ProbeFinding::OwnFrame, d.finding, d.remedy};
    case LineDiagnosis::NoFrame:
        return {ProbeFinding::NoFrame, d.finding, d.remedy};
    case LineDiagnosis::WrongEcho:
        return {ProbeFinding::WrongEcho, d.finding, d.remedy};
    }
    return {};
}

ProbeFinding systemFailure(const QString &path, const char *what) {
    return {ProbeFinding::Failed,
            QStringLiteral("%1: %2 failed: %3")
                .arg(path, what, QString::fromLocal8Bit(strerror(errno))),
            QStringLiteral("check the device and its cable; search again")};
}

// 19200 baud, 8 data bits, no parity, 1 stop bit, no handshake, raw.
bool setLine(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    t.c_cflag &= ~tcflag_t(CSTOPB | PARENB | CRTSCTS | CSIZE);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    cfsetispeed(&t, B19200);
    cfsetospeed(&t, B19200);
    return tcsetattr(fd, TCSANOW, &t) == 0 && tcflush(fd, TCIOFLUSH) == 0;
}

// The device open, for this probe alone; closed without waiting for unsent bytes, which a
// stalled adapter would never send.
class OpenDevice {
  public:
    explicit OpenDevice(const QString &path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~OpenDevice() {
        if (fd_ < 0)
            return;
        tcflush(fd_, TCIOFLUSH);
        ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }
    OpenDevice(const OpenDevice &) = delete;
    OpenDevice &operator=(const OpenDevice &) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

} // namespace

QByteArray EchoFrame(const unsigned short *words) {
    QByteArray frame(kFrameBytes, '\0');
    PutWord(frame.data() + kSyncAt, SYNC_WORD);
    PutWord(frame.data() + kOrderAt, ORDER_ECHO);
    for (int i = 0; i < kFrameDataWords; ++i)
        PutWord(frame.data() + kDataAt + 2 * i, words[i]);
    return frame;
}

QString SerialLockPath(const QString &device) {
    // The serial layer's folders, in its order.
    static const QStringList folders = {QStringLiteral("/var/lock"),
                                        QStringLiteral("/etc/locks"),
                                        QStringLiteral("/var/spool/locks"),
                                        QStringLiteral("/var/spool/uucp"),
                                        QStringLiteral("/tmp"),
                                        QStringLiteral("/var/tmp"),
                                        QStringLiteral("/var/lock/lockdev"),
                                        QStringLiteral("/run/lock")};
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name = QStringLiteral("LCK..") + name.replace('/', '_');
    for (const QString &folder : folders) {
        const QFileInfo info(folder);
        const QString path = folder + '/' + name;
        if (info.isReadable() && (QFileInfo::exists(path) || info.isWritable()))
            return path;
    }
    return {};
}

ProbeFinding ProbeDevice(const QString &path, bool present, const QByteArray &echoFrame,
                         const std::atomic_bool &cancel) {
    if (!QFileInfo::exists(path))
        return fromOpenFailure(DiagnoseOpenFailure(path, ENOENT, {}));
    if (!present)
        return {ProbeFinding::Missing,
                QStringLiteral("%1 is not present: the system shows no port behind it").arg(path),
                QStringLiteral("plug the adapter in, or pick another port")};
    if (const auto inTheWay = DiagnoseInTheWay(path))
        return fromOpenFailure(*inTheWay);

    const QString lockPath = SerialLockPath(path);
    QLockFile lock(lockPath);
    if (lockPath.isEmpty() || !lock.tryLock(0)) {
        if (const auto inTheWay = DiagnoseInTheWay(path))
            return fromOpenFailure(*inTheWay);
        return {ProbeFinding::Failed,
                QStringLiteral("the lock file %1 cannot be taken")
                    .arg(lockPath.isEmpty() ? QStringLiteral("for ") + path : lockPath),
                QStringLiteral("check that the lock folder /var/lock is writable for this user")};
    }
    const OpenDevice device(path);
    if (device.fd() < 0) {
        const int error = errno;
        return fromOpenFailure(
            DiagnoseOpenFailure(path, error, QString::fromLocal8Bit(strerror(error))));
    }
    // For this probe alone, as the serial layer opens a port; root passes it regardless.
    if (ioctl(device.fd(), TIOCEXCL) != 0)
        return systemFailure(path, "exclusive access");
    if (!setLine(device.fd()))
        return systemFailure(path, "setting the line");

    QElapsedTimer clock;
    if (::write(device.fd(), echoFrame.constData(), size_t(echoFrame.size())) != echoFrame.size())
        return systemFailure(path, "sending the echo frame");
    clock.start();
    QByteArray received;
    double replyMs = -1;
    while (received.size() < kFrameBytes && clock.elapsed() < kAnswerMs) {
        if (cancel.load())
            return {ProbeFinding::Cancelled, QStringLiteral("the search was cancelled"), {}};
        pollfd p{device.fd(), POLLIN, 0};
        const int wait = std::min<int>(kPollSliceMs, kAnswerMs - int(clock.elapsed()));
        if (poll(&p, 1, std::max(wait, 0)) < 0 && errno != EINTR)
            return systemFailure(path, "waiting for the answer");
        if (!(p.revents & POLLIN))
            continue;
        char buffer[256];
        const ssize_t n = ::read(device.fd(), buffer, sizeof buffer);
        if (n > 0) {
            received.append(buffer, n);
            if (received.size() >= kFrameBytes)
                replyMs = double(clock.nsecsElapsed()) / 1e6;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return systemFailure(path, "reading the answer");
        }
    }
    return fromLine(DiagnoseLineCheck(echoFrame, received), replyMs);
}
