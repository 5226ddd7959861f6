// SPDX-License-Identifier: GPL-3.0-or-later
// The communication log in files. `--log FILE` follows the log while the tool runs: text lines
// written out twice a second, so a crash loses at most the last second. Save… writes chosen
// rows as text lines or as CSV.
#pragma once

#include <QFile>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class CommLog;

class CommLogFile : public QObject {
    Q_OBJECT
  public:
    // Creates (or empties) `path` and writes the header and every row the log holds. Only a
    // regular file or a character device is taken (see OpenOutputFile).
    CommLogFile(CommLog &log, const QString &path, QObject *parent = nullptr);
    // Writes the rows that came after the last write.
    ~CommLogFile() override;

    // Writes the rows that came since the last write. A file that cannot be written is
    // reported once, on standard error and as a note in the log, and given up.
    void writeNew();
    // Ends the periodic writes; the destructor writes the rest.
    void stop() { timer_.stop(); }
    QString path() const { return path_; }
    // Why the file was given up; empty while it is written.
    QString failure() const { return failure_; }

  signals:
    void failed(const QString &text);

  private:
    void write(const QString &text);
    void fail(const QString &why);

    CommLog &log_;
    QString path_;
    QFile file_;
    QTimer timer_;
    qint64 next_ = 0; // the sequence number of the next row to write
    QString failure_;
};

// Writes the rows numbered `seqs` to `path`: CSV when its name ends in .csv, else text lines.
// Rows that have left the log are counted in `left` (and a text file says so after its
// header). False with `error` set when the file cannot be written; an existing file is then
// left as it was.
bool SaveCommRows(const CommLog &log, const QList<qint64> &seqs, const QString &path,
                  QString *error, qsizetype *left);
