// SPDX-License-Identifier: GPL-3.0-or-later
// Array files: numbers as text, one a line on writing; any white space between them on reading.
#include "runtime.h"
#include "safe_file.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool supportedLayout(int dataType, int numberOfGroups, int fileType) {
    return dataType == VAL_UNSIGNED_INTEGER && numberOfGroups == 1 && fileType == VAL_ASCII;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Takes a file's text piece by piece: `wanted` unsigned decimal numbers separated by white
// space, nothing after them but white space. Refuses at the first byte that breaks this, so a
// long file is given up early. Numbers wrap modulo 2^32, whatever their length.
class NumberReader {
  public:
    explicit NumberReader(int wanted) : wanted_(std::size_t(wanted)) { values_.reserve(wanted_); }

    bool feed(const char *data, qint64 size) {
        for (qint64 i = 0; i < size; ++i) {
            const char c = data[i];
            if (c >= '0' && c <= '9') {
                if (!inNumber_ && values_.size() == wanted_)
                    return false;
                current_ = current_ * 10u + std::uint32_t(c - '0');
                inNumber_ = true;
            } else if (isSpace(c)) {
                endNumber();
            } else {
                return false;
            }
        }
        return true;
    }

    // Call at the end of the file.
    bool complete() {
        endNumber();
        return values_.size() == wanted_;
    }
    const std::vector<std::uint32_t> &values() const { return values_; }

  private:
    void endNumber() {
        if (inNumber_)
            values_.push_back(current_);
        inNumber_ = false;
        current_ = 0;
    }

    std::size_t wanted_;
    std::vector<std::uint32_t> values_;
    std::uint32_t current_ = 0;
    bool inNumber_ = false;
};

// Opens only a regular file: opening or reading a FIFO or a device could block the GUI thread.
// The check comes before the open, so a FIFO is never opened; O_NONBLOCK keeps a file swapped
// for one in between from blocking, and fstat then refuses it. Unbuffered, so that Qt reads no
// further ahead than asked.
bool openRegularFile(const char *fileName, QFile &file) {
    struct stat info {};
    if (::stat(fileName, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const int fd = ::open(fileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace

int ArrayToFile(const char *fileName, const void *array, int dataType, int numberOfElements,
                int numberOfGroups, int, int, int, int fieldWidth, int fileType, int) {
    if (!supportedLayout(dataType, numberOfGroups, fileType) || numberOfElements < 0 || !array)
        return kFileBadArguments;
    const auto *values = static_cast<const unsigned int *>(array);
    QByteArray text;
    for (int i = 0; i < numberOfElements; ++i)
        text += QByteArray::number(values[i]).rightJustified(fieldWidth, ' ') + '\n';
    QString error;
    return WriteWholeFile(QString::fromLocal8Bit(fileName), text, &error) ? 0 : kFileIOError;
}

int FileToArray(const char *fileName, void *array, int dataType, int numberOfElements,
                int numberOfGroups, int, int, int fileType) {
    if (!supportedLayout(dataType, numberOfGroups, fileType) || numberOfElements < 0 || !array)
        return kFileBadArguments;
    QFile file;
    if (!openRegularFile(fileName, file))
        return kFileIOError;
    const qint64 limit = qint64(numberOfElements) * kArrayFileBytesPerNumber;
    NumberReader reader(numberOfElements);
    std::array<char, 1024> chunk;
    qint64 total = 0;
    for (;;) {
        // One byte past the limit tells a file that runs past it.
        const qint64 n = file.read(chunk.data(), std::min<qint64>(chunk.size(), limit + 1 - total));
        if (n < 0)
            return kFileIOError;
        if (n == 0)
            break;
        total += n;
        if (total > limit || !reader.feed(chunk.data(), n))
            return kFileFormatError;
    }
    if (!reader.complete())
        return kFileFormatError;
    std::copy(reader.values().begin(), reader.values().end(), static_cast<unsigned int *>(array));
    return 0;
}
