// SPDX-License-Identifier: GPL-3.0-or-later
// Files the user keeps. A whole file (a saved picture, report, table or parameter file) is
// written beside its target and renamed over it only when every byte is on the disk, so a
// failure never leaves a damaged or empty file behind. A file written as the tool runs (the
// communication log, a recording) is opened so that opening can never block the window.
// Failures are told in the system's own words ("No space left on device").
#pragma once

#include <QByteArray>
#include <QString>
#include <csignal>
#include <cstddef>

// Makes `bytes` the whole content of `path`: writes them to a new file in the same folder,
// checks every write, syncs the file to the disk and renames it over `path` (over the file a
// symbolic link points to, keeping the link). A file that exists keeps its permissions. False
// with `error` set when any step fails; the old file then stays as it was and the new one is
// removed.
bool WriteWholeFile(const QString &path, const QByteArray &bytes, QString *error);

// Creates or empties `path` for writing as the tool runs; the descriptor, or -1 with `error`
// set. Only a regular file or a character device is taken: a FIFO, a socket or a folder is
// refused without being opened. A regular file is written as usual; a character device stays
// non-blocking, so that a device that cannot take the bytes fails a write instead of holding
// the tool.
int OpenOutputFile(const QString &path, QString *error);

// Writes the `size` bytes at `data` to `fd`, going on after interrupted and partial writes; a
// write beyond the process's file size limit fails with EFBIG instead of raising SIGXFSZ. 0, or
// the errno of the write that failed (ENOSPC for one that took nothing); `written` gets the
// bytes that reached the file.
int WriteAll(int fd, const char *data, std::size_t size, std::size_t *written = nullptr);

// The system's text for an errno value.
QString SystemErrorText(int error);

// While it lives, a write of this thread beyond the process's file size limit fails with EFBIG
// ("File too large") instead of ending the program with SIGXFSZ. Other threads and the
// signal's disposition are left alone.
class FileSizeSignalBlocked {
  public:
    FileSizeSignalBlocked();
    ~FileSizeSignalBlocked();
    FileSizeSignalBlocked(const FileSizeSignalBlocked &) = delete;
    FileSizeSignalBlocked &operator=(const FileSizeSignalBlocked &) = delete;

  private:
    sigset_t saved_;
    bool wasPending_;
};
