// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/trend/live_recorder.h"

#include "link/protocol.h"
#include "runtime/safe_file.h"

#include <QSignalBlocker>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kFlushMs = 500;
constexpr std::size_t kReservedBytes = 64 * 1024;
constexpr std::size_t kMostPendingBytes = 1024 * 1024; // unpaced Run: write before the timer
constexpr int kRowBytes = 192;

// Local time as "2024-05-01T12:34:56.789+02:00". The part down to the second and the offset
// change once a second, so they are formatted then and kept.
class IsoTime {
  public:
    int format(Millis ms, char *out, std::size_t size) {
        const std::time_t second = std::time_t(ms / 1000);
        if (second != second_)
            prepare(second);
        return std::snprintf(out, size, "%s.%03d%s", prefix_, int(ms % 1000), offset_);
    }

  private:
    void prepare(std::time_t second) {
        second_ = second;
        std::tm local{};
        localtime_r(&second, &local);
        std::strftime(prefix_, sizeof prefix_, "%Y-%m-%dT%H:%M:%S", &local);
        char z[8] = "+0000";
        std::strftime(z, sizeof z, "%z", &local);
        std::snprintf(offset_, sizeof offset_, "%.3s:%.2s", z, z + 3);
    }

    std::time_t second_ = -1;
    char prefix_[32] = {};
    char offset_[8] = {};
};

IsoTime isoTime;

QString reasonOf(int error) {
    switch (error) {
    case ENOSPC:
        return QStringLiteral("the disk is full");
    case EFBIG:
        return QStringLiteral("the file has reached the largest size this system allows");
    default:
        return SystemErrorText(error);
    }
}

std::int64_t rowsIn(const char *text, std::size_t size) {
    return std::count(text, text + size, '\n');
}

} // namespace

LiveRecorder::LiveRecorder(QObject *parent) : QObject(parent) {
    flushTimer_.setInterval(kFlushMs);
    flushTimer_.callOnTimeout(this, [this] { flush(); });
}

// Listeners may be going too: a failure now is not told.
LiveRecorder::~LiveRecorder() {
    const QSignalBlocker quiet(this);
    flush();
    close();
}

const char *LiveRecorder::header() {
    return "time,word0,word1,word2,word3,word4,word5,word6,word7,word8,unit,"
           "first_edge,second_edge,third_value,teach_value,tolerance\n";
}

bool LiveRecorder::start(const QString &path, QString *error) {
    stop();
    waitingPath_.clear();
    QString why;
    fd_ = OpenOutputFile(path, &why);
    const std::size_t headerBytes = std::strlen(header());
    if (fd_ >= 0) {
        if (const int failure = WriteAll(fd_, header(), headerBytes))
            why = SystemErrorText(failure);
    }
    if (!why.isEmpty()) {
        *error = QStringLiteral("Cannot record to %1: %2").arg(path, why);
        close();
        return false;
    }
    path_ = path;
    fileSize_ = std::int64_t(headerBytes);
    rowsWritten_ = 0;
    pending_.clear();
    pending_.reserve(kReservedBytes);
    flushTimer_.start();
    emit started(path);
    return true;
}

void LiveRecorder::startWithNextFrame(const QString &path) {
    stop();
    waitingPath_ = path;
}

void LiveRecorder::stop() {
    waitingPath_.clear();
    if (fd_ < 0)
        return;
    if (!flush())
        return;
    close();
    emit stopped(QString());
}

void LiveRecorder::append(Millis ms, const std::uint16_t *words, const LiveValues &values) {
    if (!waitingPath_.isEmpty()) {
        const QString path = std::exchange(waitingPath_, QString());
        QString error;
        if (!start(path, &error))
            emit stopped(error);
    }
    if (fd_ < 0)
        return;
    char row[kRowBytes];
    int n = isoTime.format(ms, row, sizeof row);
    for (int i = 0; i < LIVE_WORDS; ++i)
        n += std::snprintf(row + n, sizeof row - std::size_t(n), ",%u", unsigned(words[i]));
    const auto &v = values.in(values.shown);
    n += std::snprintf(row + n, sizeof row - std::size_t(n), ",%s,%.0f,%.0f,%.0f,%.0f,%.0f\n",
                       values.shown == Unit::Pixels ? "px" : "um", double(v[kFirstEdgeChannel]),
                       double(v[kSecondEdgeChannel]), double(v[kThirdValueChannel]),
                       double(v[kTeachValueChannel]), double(v[kToleranceChannel]));
    pending_.append(row, std::size_t(n));
    if (pending_.size() > kMostPendingBytes)
        flush();
}

bool LiveRecorder::flush() {
    if (fd_ < 0)
        return false;
    std::size_t written = 0;
    // A file that reaches the process's size limit fails like a full disk and the recording
    // stops, instead of the signal ending the program.
    if (const int failure = WriteAll(fd_, pending_.data(), pending_.size(), &written)) {
        keepWholeRows(written);
        fail(failure);
        return false;
    }
    rowsWritten_ += rowsIn(pending_.data(), written);
    fileSize_ += std::int64_t(written);
    pending_.clear();
    return true;
}

// A write that stopped inside a row leaves a piece of it; the file is cut back after the last
// whole row so that every line in it is complete.
void LiveRecorder::keepWholeRows(std::size_t written) {
    const char *data = pending_.data();
    const void *lastEnd = written ? memrchr(data, '\n', written) : nullptr;
    const std::size_t whole =
        lastEnd ? std::size_t(static_cast<const char *>(lastEnd) - data) + 1 : 0;
    rowsWritten_ += rowsIn(data, whole);
    fileSize_ += std::int64_t(whole);
    if (whole < written && ::ftruncate(fd_, fileSize_) != 0)
        std::fprintf(stderr, "Recording: cannot cut %s back to whole rows\n", qPrintable(path_));
}

void LiveRecorder::fail(int error) {
    pending_.clear();
    close();
    emit stopped(
        QStringLiteral("Recording stopped: %1. The %2 rows recorded before are kept in %3.")
            .arg(reasonOf(error))
            .arg(rowsWritten_)
            .arg(path_));
}

void LiveRecorder::close() {
    flushTimer_.stop();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}
