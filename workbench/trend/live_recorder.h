// SPDX-License-Identifier: GPL-3.0-or-later
// Writes every live frame to a CSV file while on: the time (ISO 8601, local, with
// milliseconds and offset), the nine words of the frame and the values the panel shows, in the
// unit it shows them. Frames only fill a buffer; a timer writes it out twice a second, so a
// crash of the tool loses at most the last second. When the disk is full (or the file reaches
// the size the system allows) the recording stops, the file cut back to its last whole row.
#pragma once

#include "workbench/adapters/live_values.h"
#include "workbench/trend/trend_store.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <string>

class LiveRecorder : public QObject {
    Q_OBJECT
  public:
    explicit LiveRecorder(QObject *parent = nullptr);
    ~LiveRecorder() override;

    // Creates (or empties) the file and writes the header; false with `error` set otherwise.
    bool start(const QString &path, QString *error);
    // Starts a recording into `path` with the next frame.
    void startWithNextFrame(const QString &path);
    // Writes what is buffered and closes the file.
    void stop();

    bool isOn() const { return fd_ >= 0; }
    QString path() const { return path_; }
    std::int64_t rowsWritten() const { return rowsWritten_; }

    void append(Millis ms, const std::uint16_t *words, const LiveValues &values);
    // Writes the buffered rows out; on a write error the recording stops. Returns false then.
    bool flush();

    static const char *header();

  signals:
    void started(const QString &path);
    // The recording ended: by stop() (`failure` empty) or by a write error (`failure` says why).
    void stopped(const QString &failure);

  private:
    void keepWholeRows(std::size_t written);
    void fail(int error);
    void close();

    QTimer flushTimer_;
    QString path_;
    QString waitingPath_;
    std::string pending_; // whole rows not yet written
    int fd_ = -1;
    std::int64_t fileSize_ = 0;
    std::int64_t rowsWritten_ = 0;
};
