// SPDX-License-Identifier: GPL-3.0-or-later
// Serial ports on QSerialPort, all on the GUI thread. Each port number keeps one record for the
// whole run; its QSerialPort exists while the port is open.
//
// Receive callbacks are not driven by readyRead: Qt does not signal again for bytes that arrive
// while a slot runs, so the event loop calls rtPollSerial after every pass and a callback runs
// whenever enough bytes wait. The port's socket notifier still wakes the event loop when bytes
// arrive.
//
// The input queue size of OpenComConfig bounds Qt's read buffer (bytes beyond it wait in the
// kernel and still count as waiting). Writes bypass Qt's unbounded write buffer and go straight to
// the device, whose own buffer is the output queue; the output queue size is ignored. Line settings
// out of range, or refused by the device, make the open fail with kComCannotOpen.
#include "paint_hold.h"
#include "runtime.h"
#include "runtime_qt.h"
#include "serial_device.h"
#include "serial_report.h"
#include "testing.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <linux/serial.h>
#include <map>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int kDefaultTimeoutMs = 2000;
constexpr double kLongestTimeoutSeconds = 1e6;
// What a flush reads out of the system's queue for the tap at most; a device that floods the
// line faster than that is cut there, and the flush drops the rest unseen as before.
constexpr int kLongestFlushReport = 65536;

struct ComPort {
    std::unique_ptr<QSerialPort> serial; // null while closed
    int generation = 0;                  // counts opens, so a stale close request is dropped
    bool failed = false;                 // the device failed; closed at the next chance
    int timeoutMs = kDefaultTimeoutMs;
    ComCallbackPtr callback = nullptr;
    void *callbackData = nullptr;
    int notifyCount = 0;
    bool inCallback = false;
    qint64 reported = 0;     // bytes in Qt's buffer already reported to the tap as received
    QByteArray recentWrites; // the last bytes written, kept for the tap's output flush report
};

// Records are never erased, so a reference stays valid while a callback opens or closes ports.
std::map<int, ComPort> &comPorts() {
    static std::map<int, ComPort> ports;
    return ports;
}

void report(SerialTapEvent::Kind kind, int number, const QByteArray &bytes = {}) {
    SerialTapEvent e;
    e.kind = kind;
    e.port = number;
    e.bytes = bytes;
    rtReport(std::move(e));
}

void closeSerial(ComPort &port) {
    port.reported = 0;
    port.recentWrites.clear();
    port.serial.reset();
    port.failed = false;
    port.callback = nullptr;
    port.callbackData = nullptr;
    port.notifyCount = 0;
}

// Ports still open when the application object goes away are closed while Qt can still
// release their notifiers.
void closeAllPorts() {
    for (auto &entry : comPorts())
        closeSerial(entry.second);
}

void hookShutdown() {
    static bool hooked = false;
    if (!hooked)
        qAddPostRoutine(closeAllPorts);
    hooked = true;
}

// The record of an open port, or nullptr. A port whose device failed is closed here, so every
// call after the failure sees a port that is not open.
ComPort *openPort(int number) {
    const auto it = comPorts().find(number);
    if (it == comPorts().end() || !it->second.serial)
        return nullptr;
    if (it->second.failed) {
        closeSerial(it->second);
        return nullptr;
    }
    return &it->second;
}

// A removed adapter reports ResourceError. A hung-up line reads as end of file, which Qt
// reports as ResourceError or ReadError depending on the errno that the last failed system call
// left behind; as ReadError the read notifier stays armed and the error repeats on every pass.
// Neither recovers. Writes go past Qt (see ComWrt), so Qt reports no write errors.
bool isDeviceFailure(QSerialPort::SerialPortError error) {
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
}

void closeIfStillFailed(int number, int generation) {
    ComPort &port = comPorts()[number];
    if (port.generation != generation || !port.failed)
        return;
    closeSerial(port);
    report(SerialTapEvent::Closed, number);
}

bool lineFailed(const QSerialPort &serial) {
    pollfd p{static_cast<int>(serial.handle()), POLLIN, 0};
    return p.fd < 0 || (::poll(&p, 1, 0) >= 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)));
}

// The port is closed from the event loop rather than inside Qt's own notification, which may
// still be using the port's notifiers; until then every call treats it as closed.
void giveUp(int number, int generation, const QString &reason, int systemError = 0) {
    ComPort &port = comPorts()[number];
    qWarning("serial port %d closed: %s", number, qPrintable(reason));
    port.failed = true;
    SerialTapEvent e;
    e.kind = SerialTapEvent::Failed;
    e.port = number;
    e.systemError = systemError;
    e.errorText = reason;
    rtReport(std::move(e));
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [number, generation] { closeIfStillFailed(number, generation); },
            Qt::QueuedConnection);
}

void noteError(int number, int generation, QSerialPort::SerialPortError error) {
    ComPort &port = comPorts()[number];
    if (!isDeviceFailure(error) || port.failed)
        return;
    // A read that finds nothing (the bytes were flushed after the line reported them) also
    // reads as ReadError; only a line that reports a hang-up or error is given up.
    if (error == QSerialPort::ReadError && port.serial && !lineFailed(*port.serial))
        return;
    giveUp(number, generation, port.serial->errorString());
}

bool setLineSettings(QSerialPort &serial, long baudRate, int parity, int dataBits, int stopBits) {
    // Parity codes: 0 none, 1 odd, 2 even, 3 mark, 4 space.
    static constexpr std::array kParities{QSerialPort::NoParity, QSerialPort::OddParity,
                                          QSerialPort::EvenParity, QSerialPort::MarkParity,
                                          QSerialPort::SpaceParity};
    if (baudRate < 1 || baudRate > std::numeric_limits<qint32>::max() || parity < 0 ||
        parity >= int(kParities.size()) || dataBits < 5 || dataBits > 8 ||
        (stopBits != 1 && stopBits != 2))
        return false;
    serial.setBaudRate(qint32(baudRate));
    serial.setParity(kParities[std::size_t(parity)]);
    serial.setDataBits(QSerialPort::DataBits(dataBits));
    serial.setStopBits(QSerialPort::StopBits(stopBits));
    return true;
}

// Bytes waiting: those Qt has read plus those still in the kernel's queue, which Qt only
// fetches when its notifier next runs.
qint64 waitingBytes(QSerialPort &serial) {
    int inKernel = 0;
    if (ioctl(serial.handle(), FIONREAD, &inKernel) != 0)
        inKernel = 0;
    return serial.bytesAvailable() + inKernel;
}

// Bytes that entered Qt's buffer since the last report go to the tap as they arrive, so their
// time is the time they reached the tool.
void noteArrival(int number) {
    ComPort &port = comPorts()[number];
    if (!port.serial)
        return;
    const qint64 buffered = port.serial->bytesAvailable();
    if (buffered > port.reported && rtTapping())
        report(SerialTapEvent::Received, number, port.serial->peek(buffered).mid(port.reported));
    port.reported = buffered;
}

// USB-serial adapters hold replies back for their latency timer, 16 ms by default; ask the driver
// to pass bytes on at once. A device that has neither knob (a pseudo-terminal) is left as it is.
void askForLowLatency(const QSerialPort &serial) {
    const int fd = int(serial.handle());
    serial_struct settings{};
    if (ioctl(fd, TIOCGSERIAL, &settings) == 0 && !(settings.flags & ASYNC_LOW_LATENCY)) {
        settings.flags |= ASYNC_LOW_LATENCY;
        ioctl(fd, TIOCSSERIAL, &settings);
    }
    const QString name = QFileInfo(QFileInfo(serial.portName()).canonicalFilePath()).fileName();
    QFile latency(QStringLiteral("/sys/class/tty/%1/device/latency_timer").arg(name));
    if (!name.isEmpty() && latency.open(QIODevice::WriteOnly))
        latency.write("1");
}

void reportOpen(int number, const QString &device, const QSerialPort *failed, int systemError) {
    SerialTapEvent e;
    e.kind = failed ? SerialTapEvent::OpenFailed : SerialTapEvent::Opened;
    e.port = number;
    e.device = device;
    e.systemError = systemError;
    if (failed)
        e.errorText = failed->errorString();
    else if (device.isEmpty())
        e.errorText = QStringLiteral("no device for port %1").arg(number);
    rtReport(std::move(e));
}

// The bytes an input flush drops: those in Qt's buffer, then those still in the system's queue,
// read out for the tap only.
QByteArray unreadInput(ComPort &port) {
    QByteArray bytes = port.serial->peek(port.serial->bytesAvailable());
    char chunk[4096];
    while (bytes.size() < kLongestFlushReport) {
        const ssize_t n = ::read(int(port.serial->handle()), chunk, sizeof chunk);
        if (n <= 0)
            break;
        bytes.append(chunk, n);
    }
    return bytes;
}

// The bytes an output flush drops: the last ones written, as many as the system still holds.
QByteArray unsentOutput(const ComPort &port) {
    int queued = 0;
    if (ioctl(int(port.serial->handle()), TIOCOUTQ, &queued) != 0 || queued <= 0)
        return {};
    return port.recentWrites.right(queued);
}

void keepRecentWrites(ComPort &port, const char *bytes, int count) {
    constexpr qsizetype kKept = 4096;
    port.recentWrites.append(bytes, count);
    if (port.recentWrites.size() > kKept)
        port.recentWrites.remove(0, port.recentWrites.size() - kKept);
}

} // namespace

int OpenComConfig(int number, const char *deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int /*outputQueueSize*/) {
    const QString path = deviceName && *deviceName
                             ? rtAbsoluteDevicePath(QString::fromLocal8Bit(deviceName))
                             : rtComDevice(number);
    if (number < 1 || path.isEmpty()) {
        reportOpen(number, path, nullptr, 0);
        return kComInvalidPort;
    }

    ComPort &port = comPorts()[number];
    closeSerial(port);
    auto serial = std::make_unique<QSerialPort>();
    serial->setPortName(path);
    // A bounded buffer keeps Qt from reserving a fresh large chunk for every few bytes that
    // trickle in while a frame is incomplete; bytes beyond it wait in the kernel.
    if (inputQueueSize > 0)
        serial->setReadBufferSize(inputQueueSize);
    if (!setLineSettings(*serial, baudRate, parity, dataBits, stopBits))
        return kComCannotOpen;
    errno = 0;
    if (!serial->open(QIODevice::ReadWrite)) {
        reportOpen(number, path, serial.get(), errno);
        return serial->error() == QSerialPort::DeviceNotFoundError ? kComDeviceNotFound
                                                                   : kComCannotOpen;
    }
    askForLowLatency(*serial);

    hookShutdown();
    port.serial = std::move(serial);
    ++port.generation;
    port.timeoutMs = kDefaultTimeoutMs;
    QObject::connect(port.serial.get(), &QSerialPort::errorOccurred, port.serial.get(),
                     [number, generation = port.generation](QSerialPort::SerialPortError error) {
                         noteError(number, generation, error);
                     });
    QObject::connect(port.serial.get(), &QSerialPort::readyRead, port.serial.get(),
                     [number] { noteArrival(number); });
    reportOpen(number, path, nullptr, 0);
    return 0;
}

int SetComTime(int number, double timeoutSeconds) {
    ComPort *port = openPort(number);
    if (!port)
        return kComPortNotOpen;
    const double seconds =
        timeoutSeconds > 0 ? std::min(timeoutSeconds, kLongestTimeoutSeconds) : 0.0;
    port->timeoutMs = int(std::lround(seconds * 1000));
    return 0;
}

int SetCTSMode(int number, int mode) {
    ComPort *port = openPort(number);
    if (!port)
        return kComPortNotOpen;
    const auto flow = mode ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl;
    return port->serial->setFlowControl(flow) ? 0 : kComIOError;
}

int FlushInQ(int number) {
    ComPort *port = openPort(number);
    if (!port)
        return kComPortNotOpen;
    if (rtTapping())
        report(SerialTapEvent::Flushed, number, unreadInput(*port));
    port->reported = 0;
    return port->serial->clear(QSerialPort::Input) ? 0 : kComIOError;
}

int FlushOutQ(int number) {
    ComPort *port = openPort(number);
    if (!port)
        return kComPortNotOpen;
    if (rtTapping()) {
        SerialTapEvent e;
        e.kind = SerialTapEvent::Flushed;
        e.port = number;
        e.input = false;
        e.bytes = unsentOutput(*port);
        rtReport(std::move(e));
    }
    return port->serial->clear(QSerialPort::Output) ? 0 : kComIOError;
}

// Takes what the device's buffer has room for and never waits. A device that takes nothing now
// (a stalled adapter, a pseudo-terminal nobody reads) makes a short write and keeps the port;
// only a failing line (hang-up, removed adapter) gives it up.
int ComWrt(int number, const char *buffer, int count) {
    ComPort *port = openPort(number);
    if (!port)
        return kComPortNotOpen;
    const int fd = int(port->serial->handle());
    int taken = 0;
    while (taken < count) {
        const ssize_t n = ::write(fd, buffer + taken, std::size_t(count - taken));
        if (n > 0) {
            taken += int(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            const int error = errno;
            giveUp(number, port->generation, QString::fromLocal8Bit(std::strerror(error)), error);
            return kComIOError;
        } else {
            break;
        }
    }
    if (taken > 0)
        rtNoteRequestWritten();
    if (rtTapping()) {
        keepRecentWrites(*port, buffer, taken);
        SerialTapEvent e;
        e.kind = SerialTapEvent::Written;
        e.port = number;
        e.bytes = QByteArray(buffer, taken);
        e.requested = count;
        rtReport(std::move(e));
    }
    return taken;
}

// Qt's wait blocks without running the event loop, so no callback or timer runs inside a read.
int ComRd(int number, char *buffer, int count) {
    ComPort *port = openPort(number);
    if (!port)
        return kComPortNotOpen;
    if (count <= 0)
        return 0;
    QSerialPort &serial = *port->serial;
    const QDeadlineTimer deadline(port->timeoutMs, Qt::PreciseTimer);
    // Once the time is up, one more wait of 0 ms still fetches what the kernel holds.
    while (serial.bytesAvailable() < count) {
        if (!serial.waitForReadyRead(int(deadline.remainingTime())))
            break;
    }
    const qint64 got = serial.read(buffer, std::min<qint64>(count, serial.bytesAvailable()));
    if (got < 0)
        return kComIOError;
    port->reported = std::max<qint64>(0, port->reported - got);
    if (rtTapping())
        report(SerialTapEvent::Read, number, QByteArray(buffer, int(got)));
    return int(got);
}

int GetInQLen(int number) {
    ComPort *port = openPort(number);
    if (!port)
        return kComPortNotOpen;
    return int(std::min<qint64>(waitingBytes(*port->serial), std::numeric_limits<int>::max()));
}

int CloseCom(int number) {
    ComPort *port = openPort(number);
    if (!port)
        return kComPortNotOpen;
    closeSerial(*port);
    report(SerialTapEvent::Closed, number);
    return 0;
}

int InstallComCallback(int number, int eventMask, int notifyCount, int /*eventCharacter*/,
                       ComCallbackPtr callbackFunction, void *callbackData) {
    ComPort *port = openPort(number);
    if (!port)
        return kComPortNotOpen;
    // Only the receive-count event is delivered; the tool's callback ignores the others.
    const bool on = (eventMask & LWRS_RECEIVE) && callbackFunction;
    port->callback = on ? callbackFunction : nullptr;
    port->callbackData = on ? callbackData : nullptr;
    port->notifyCount = on ? std::max(notifyCount, 1) : 0;
    return 0;
}

const char *ComDevicePath(int number) {
    static std::map<int, std::string> paths;
    std::string &path = paths[number];
    path = rtComDevice(number).toStdString();
    return path.c_str();
}

bool rtSerialCallbackRunning() {
    return std::any_of(comPorts().begin(), comPorts().end(),
                       [](const auto &entry) { return entry.second.inCallback; });
}

// A callback may open or close ports: map iterators survive insertions, and records are never
// erased.
bool rtPollSerial() {
    bool ran = false;
    for (auto &[number, record] : comPorts()) {
        if (!record.callback || record.inCallback || !openPort(number) ||
            waitingBytes(*record.serial) < record.notifyCount)
            continue;
        record.inCallback = true;
        record.callback(number, LWRS_RECEIVE, record.callbackData);
        record.inCallback = false;
        ran = true;
    }
    return ran;
}
