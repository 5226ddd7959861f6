// SPDX-License-Identifier: GPL-3.0-or-later
#include "safe_file.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kTempNameTries = 100;
// Room for the temporary name's dot and suffix within the system's 255 bytes of a name.
constexpr qsizetype kMostTempStemBytes = 200;

// The file a symbolic link points to, so that the link stays; the path itself otherwise.
QByteArray targetOf(const QByteArray &path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.constData(), nullptr),
                                                           &std::free);
    return real ? QByteArray(real.get()) : path;
}

QByteArray folderOf(const QByteArray &path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// A new file beside `target`, hidden, named after it; its path goes to `temp`. -1 with errno
// set when none can be made.
int createBeside(const QByteArray &target, QByteArray *temp) {
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray stem =
        target.left(slash + 1) + '.' + target.mid(slash + 1).left(kMostTempStemBytes) + '.';
    for (int i = 0; i < kTempNameTries; ++i) {
        *temp = stem + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(temp->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

sigset_t fileSizeSignal() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGXFSZ);
    return set;
}

// The rename reaches the disk with its folder; a folder that cannot be synced leaves the new
// file in place all the same, so its failure is not the save's.
void syncFolder(const QByteArray &folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

QString kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISBLK(mode))
        return QStringLiteral("a block device");
    if (S_ISCHR(mode))
        return QStringLiteral("a character device");
    return QStringLiteral("not a regular file");
}

QString notRegular(mode_t mode) {
    return QStringLiteral("it is %1, not a regular file").arg(kindOf(mode));
}

} // namespace

int WriteAll(int fd, const char *data, std::size_t size, std::size_t *written) {
    const FileSizeSignalBlocked quiet;
    std::size_t done = 0;
    int failure = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n > 0)
            done += std::size_t(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else {
            failure = n < 0 ? errno : ENOSPC;
            break;
        }
    }
    if (written)
        *written = done;
    return failure;
}

QString SystemErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool WriteWholeFile(const QString &path, const QByteArray &bytes, QString *error) {
    const QByteArray target = targetOf(QFile::encodeName(path));
    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        *error = notRegular(old.st_mode);
        return false;
    }
    QByteArray temp;
    const int fd = createBeside(target, &temp);
    if (fd < 0) {
        *error = SystemErrorText(errno);
        return false;
    }
    int failure = WriteAll(fd, bytes.constData(), std::size_t(bytes.size()));
    if (!failure && exists && ::fchmod(fd, old.st_mode & 07777) != 0)
        failure = errno;
    if (!failure && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && !failure)
        failure = errno;
    if (!failure && ::rename(temp.constData(), target.constData()) != 0)
        failure = errno;
    if (failure) {
        ::unlink(temp.constData());
        *error = SystemErrorText(failure);
        return false;
    }
    syncFolder(folderOf(target));
    return true;
}

int OpenOutputFile(const QString &path, QString *error) {
    const QByteArray name = QFile::encodeName(path);
    const auto taken = [](const struct stat &info) {
        return S_ISREG(info.st_mode) || S_ISCHR(info.st_mode);
    };
    struct stat info {};
    if (::stat(name.constData(), &info) == 0 && !taken(info)) {
        *error = notRegular(info.st_mode);
        return -1;
    }
    // Non-blocking, so that a FIFO put in its place meanwhile cannot hold the open.
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) {
        *error = SystemErrorText(errno);
        return -1;
    }
    if (::fstat(fd, &info) != 0 || !taken(info)) {
        *error = notRegular(info.st_mode);
        ::close(fd);
        return -1;
    }
    if (S_ISREG(info.st_mode) && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        *error = SystemErrorText(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

FileSizeSignalBlocked::FileSizeSignalBlocked() {
    const sigset_t fileSize = fileSizeSignal();
    pthread_sigmask(SIG_BLOCK, &fileSize, &saved_);
    sigset_t pending;
    sigpending(&pending);
    wasPending_ = sigismember(&pending, SIGXFSZ) == 1;
}

// A signal raised meanwhile is taken, so that unblocking does not deliver it. One that was
// blocked or pending before is left to its owner.
FileSizeSignalBlocked::~FileSizeSignalBlocked() {
    const sigset_t fileSize = fileSizeSignal();
    sigset_t pending;
    sigpending(&pending);
    if (!wasPending_ && sigismember(&saved_, SIGXFSZ) == 0 && sigismember(&pending, SIGXFSZ) == 1) {
        const timespec now{};
        sigtimedwait(&fileSize, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}
