// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/commlog/comm_log_file.h"

#include "runtime/safe_file.h"
#include "workbench/commlog/comm_log.h"
#include "workbench/commlog/comm_row_text.h"
#include "workbench/commlog/session_text.h"

#include <cstdio>

namespace {

constexpr int kWriteEveryMs = 500;

} // namespace

CommLogFile::CommLogFile(CommLog &log, const QString &path, QObject *parent)
    : QObject(parent), log_(log), path_(path) {
    QString error;
    const int fd = OpenOutputFile(path, &error);
    if (fd < 0) {
        fail(error);
        return;
    }
    file_.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
    write(SessionHeader(log_) + QLatin1Char('\n'));
    timer_.callOnTimeout(this, &CommLogFile::writeNew);
    if (failure_.isEmpty())
        timer_.start(kWriteEveryMs);
}

CommLogFile::~CommLogFile() {
    writeNew();
}

void CommLogFile::writeNew() {
    if (!failure_.isEmpty())
        return;
    const CommRing &ring = log_.ring();
    QString text;
    if (next_ < ring.firstSeq()) {
        text += QStringLiteral("# %1 rows left the log before they could be written\n")
                    .arg(ring.firstSeq() - next_);
        next_ = ring.firstSeq();
    }
    for (; next_ < ring.endSeq(); ++next_)
        text += SessionLine(log_, *ring.at(next_)) + QLatin1Char('\n');
    if (!text.isEmpty())
        write(text);
}

void CommLogFile::write(const QString &text) {
    const QByteArray bytes = text.toUtf8();
    const FileSizeSignalBlocked quiet;
    if (file_.write(bytes) != bytes.size())
        fail(file_.errorString());
}

void CommLogFile::fail(const QString &why) {
    timer_.stop();
    file_.close();
    failure_ =
        QStringLiteral("The log file %1 cannot be written (%2); the tool goes on without it.")
            .arg(path_, why);
    std::fprintf(stderr, "rmox-sensor-tool: %s\n", qPrintable(failure_));
    log_.note(failure_);
    emit failed(failure_);
}

bool SaveCommRows(const CommLog &log, const QList<qint64> &seqs, const QString &path,
                  QString *error, qsizetype *left) {
    const bool csv = path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    QString rows;
    *left = 0;
    for (const qint64 seq : seqs) {
        if (const CommRow *row = log.ring().at(seq))
            rows += (csv ? CsvLine(log, *row) : SessionLine(log, *row)) + QLatin1Char('\n');
        else
            ++*left;
    }
    QString text = (csv ? CsvHeader() : SessionHeader(log)) + QLatin1Char('\n');
    if (!csv && *left > 0)
        text += QStringLiteral("# %1 of the chosen rows left the log before they could be saved\n")
                    .arg(*left);
    return WriteWholeFile(path, (text + rows).toUtf8(), error);
}
