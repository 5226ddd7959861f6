// SPDX-License-Identifier: GPL-3.0-or-later
// The session file reader on any file content. It must refuse the file or give rows that hold
// together (each row's arrivals end where its bytes do), say why when it stops early, and read
// back unchanged what the tool writes of those rows.
#include "fuzz_harness.h"

#include "workbench/commlog/comm_log.h"
#include "workbench/commlog/session_reader.h"
#include "workbench/commlog/session_text.h"

#include <limits>

namespace {

bool sameRow(const CommRow &a, const CommRow &b) {
    return a.kind == b.kind && a.ns == b.ns && a.bytes == b.bytes && a.arrivals == b.arrivals &&
           a.text == b.text && a.latencyNs == b.latencyNs && a.port == b.port &&
           a.requested == b.requested && a.systemError == b.systemError && a.order == b.order &&
           a.firstSample == b.firstSample && a.marks == b.marks;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    StartFuzzApp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const SessionFile file =
        ReadSession(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    FUZZ_CHECK(!file.refused || (file.rows.empty() && !file.problem.isEmpty()));
    if (file.refused)
        return 0;
    FUZZ_CHECK(file.started.isValid());
    for (const CommRow &row : file.rows) {
        FUZZ_CHECK(row.arrivals.isEmpty() || row.arrivals.last().end == row.bytes.size());
        for (qsizetype i = 1; i < row.arrivals.size(); ++i)
            FUZZ_CHECK(row.arrivals[i - 1].end < row.arrivals[i].end);
    }

    CommLog log(file.started, {std::numeric_limits<qint64>::max(), 1LL << 30});
    QString text = QString::fromLatin1(kSessionMagic) + QString::number(kSessionFormat) +
                   QStringLiteral("\n# started: ") + file.started.toString(Qt::ISODateWithMs) +
                   QLatin1Char('\n');
    for (const CommRow &row : file.rows) {
        log.restore(row);
        text += SessionLine(log, row) + QLatin1Char('\n');
    }
    const SessionFile again = ReadSession(text.toUtf8());
    FUZZ_CHECK(again.problem.isEmpty());
    FUZZ_CHECK(again.rows.size() == file.rows.size());
    for (std::size_t i = 0; i < file.rows.size(); ++i)
        FUZZ_CHECK(sameRow(again.rows[i], file.rows[i]));
    return 0;
}
