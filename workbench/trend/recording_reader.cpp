// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/trend/recording_reader.h"

#include "link/protocol.h"
#include "workbench/trend/live_recorder.h"

#include <QIODevice>
#include <QVarLengthArray>
#include <chrono>
#include <cstring>

namespace {

// time, nine words, unit, first edge, second edge, third value, teach value, tolerance
constexpr int kFields = 1 + LIVE_WORDS + 1 + 5;
constexpr int kUnitField = 1 + LIVE_WORDS;
// A row of the recorder is below 200 bytes; a longer line is none of its rows.
constexpr qint64 kLongestLine = 512;

const char *const kValueNames[] = {"first edge", "second edge", "third value", "teach value",
                                   "tolerance"};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Up to `most` decimal digits, nothing else.
bool parseDigits(QByteArrayView text, int most, qint64 *value) {
    if (text.isEmpty() || text.size() > most)
        return false;
    qint64 v = 0;
    for (const char c : text) {
        if (!isDigit(c))
            return false;
        v = v * 10 + (c - '0');
    }
    *value = v;
    return true;
}

// "2024-05-01T12:34:56.789+02:00", as the recorder writes the local time, into milliseconds
// since the epoch.
bool parseTime(QByteArrayView text, Millis *ms) {
    static const char kPattern[] = "dddd-dd-ddTdd:dd:dd.ddd+dd:dd";
    if (text.size() != qsizetype(sizeof kPattern - 1))
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char want = kPattern[i];
        const char c = text[i];
        if (want == 'd' ? !isDigit(c) : want == '+' ? c != '+' && c != '-' : c != want)
            return false;
    }
    const auto field = [&](qsizetype at, qsizetype size) {
        qint64 v = 0;
        parseDigits(text.sliced(at, size), 4, &v);
        return int(v);
    };
    using namespace std::chrono;
    const year_month_day date{year(field(0, 4)), month(unsigned(field(5, 2))),
                              day(unsigned(field(8, 2)))};
    const int hour = field(11, 2), minute = field(14, 2), second = field(17, 2);
    const int offset = (field(24, 2) * 60 + field(27, 2)) * (text[23] == '-' ? -1 : 1);
    if (!date.ok() || hour > 23 || minute > 59 || second > 59 || field(27, 2) > 59)
        return false;
    const Millis days = sys_days(date).time_since_epoch().count();
    *ms = (((days * 24 + hour) * 60 + minute - offset) * 60 + second) * 1000 + field(20, 3);
    return true;
}

// A value as the recorder writes it: a whole number, "%.0f" of what the indicator showed.
bool parseValue(QByteArrayView text, float *value) {
    const bool negative = text.startsWith('-');
    qint64 v = 0;
    if (!parseDigits(negative ? text.sliced(1) : text, 10, &v))
        return false;
    *value = float(negative ? -v : v);
    return true;
}

void setBand(std::array<float, kLiveChannels> &v) {
    v[kBandLowChannel] = v[kTeachValueChannel] - v[kToleranceChannel];
    v[kBandHighChannel] = v[kTeachValueChannel] + v[kToleranceChannel];
}

// One row into its time and values; what is wrong with it otherwise.
QString parseRow(QByteArrayView line, Millis *ms, LiveValues *values) {
    QVarLengthArray<QByteArrayView, kFields> fields;
    for (qsizetype from = 0;;) {
        const qsizetype at = line.indexOf(',', from);
        fields.append(at < 0 ? line.sliced(from) : line.sliced(from, at - from));
        if (at < 0 || fields.size() > kFields)
            break;
        from = at + 1;
    }
    if (fields.size() != kFields)
        return QStringLiteral("it has %1%2 fields, a row has %3")
            .arg(fields.size() > kFields ? QStringLiteral("more than ") : QString())
            .arg(std::min<qsizetype>(fields.size(), kFields))
            .arg(kFields);
    if (!parseTime(fields[0], ms))
        return QStringLiteral("its time is not one the recorder writes");
    std::uint16_t words[LIVE_WORDS];
    for (int i = 0; i < LIVE_WORDS; ++i) {
        qint64 w = 0;
        if (!parseDigits(fields[1 + i], 5, &w) || w > 0xFFFF)
            return QStringLiteral("word %1 is not a number from 0 to 65535").arg(i);
        words[i] = std::uint16_t(w);
    }
    const QByteArrayView unit = fields[kUnitField];
    if (unit != "px" && unit != "um")
        return QStringLiteral("its unit is neither px nor um");
    values->shown = unit == "px" ? Unit::Pixels : Unit::Micrometres;
    const int fromWord[] = {LIVE_EDGE1, LIVE_EDGE2, LIVE_VALUE3, LIVE_TVAL, LIVE_TTOL};
    for (int c = 0; c <= kToleranceChannel; ++c) {
        float shown = 0;
        if (!parseValue(fields[kUnitField + 1 + c], &shown))
            return QStringLiteral("its %1 is not a whole number")
                .arg(QString::fromLatin1(kValueNames[c]));
        values->pixels[std::size_t(c)] = words[fromWord[c]];
        if (values->shown == Unit::Micrometres)
            values->micrometres[std::size_t(c)] = shown;
    }
    setBand(values->pixels);
    setBand(values->micrometres);
    return QString();
}

// Where reading stopped, and what of the file is shown.
QString stoppedAt(const QString &what, std::int64_t rows) {
    if (rows == 0)
        return what;
    return what + (rows == 1 ? QStringLiteral(" The row before it is shown.")
                             : QStringLiteral(" The %1 rows before it are shown.").arg(rows));
}

// The file's lines, read in large pieces: a line at a time, a device reads slowly.
class Lines {
  public:
    enum Kind { Whole, CutShort, TooLong, End };

    explicit Lines(QIODevice &file) : file_(file) {}

    // The next line, without its end.
    Kind next(QByteArrayView *line) {
        for (;;) {
            const qsizetype end = buffer_.indexOf('\n', at_);
            const qsizetype left = buffer_.size() - at_;
            if (end >= 0 && end - at_ < kLongestLine) {
                *line = QByteArrayView(buffer_).sliced(at_, end - at_);
                at_ = end + 1;
                return Whole;
            }
            if (end >= 0 || left >= kLongestLine)
                return TooLong;
            if (ended_) {
                *line = QByteArrayView(buffer_).sliced(at_);
                at_ = buffer_.size();
                return left ? CutShort : End;
            }
            buffer_.remove(0, at_);
            at_ = 0;
            const QByteArray more = file_.read(kPieceBytes);
            ended_ = more.isEmpty();
            buffer_ += more;
        }
    }

  private:
    static constexpr qint64 kPieceBytes = 256 * 1024;

    QIODevice &file_;
    QByteArray buffer_;
    qsizetype at_ = 0;
    bool ended_ = false;
};

} // namespace

RecordingFile ReadRecording(QIODevice &file, TrendStore &store) {
    RecordingFile result;
    const QByteArrayView header(LiveRecorder::header(),
                                qsizetype(std::strlen(LiveRecorder::header())) - 1);
    bool pixelRows = false, micrometreRows = false;
    Lines lines(file);
    std::int64_t lineNumber = 0;
    for (;;) {
        QByteArrayView line;
        const Lines::Kind kind = lines.next(&line);
        if (kind == Lines::End) {
            if (!file.atEnd())
                result.problem = stoppedAt(QStringLiteral("Reading stopped after line %1: %2.")
                                               .arg(lineNumber)
                                               .arg(file.errorString()),
                                           result.rows);
            break;
        }
        ++lineNumber;
        if (line.endsWith('\r')) // passed through a system that ends lines so
            line.chop(1);
        if (lineNumber == 1) {
            if (kind != Lines::Whole || line != header) {
                result.problem = QStringLiteral("It is not a recording of live frames: its first "
                                                "line is not the recording's header.");
                break;
            }
            continue;
        }
        if (kind == Lines::TooLong) {
            result.problem = stoppedAt(
                QStringLiteral("Line %1 is not a row of a recording: it is longer than any row.")
                    .arg(lineNumber),
                result.rows);
            break;
        }
        if (kind == Lines::CutShort) {
            result.problem = stoppedAt(
                QStringLiteral("The file ends inside line %1, a row cut short.").arg(lineNumber),
                result.rows);
            break;
        }
        Millis ms = 0;
        LiveValues values;
        const QString wrong = parseRow(line, &ms, &values);
        if (!wrong.isEmpty()) {
            result.problem = stoppedAt(QStringLiteral("Line %1 is not a row of a recording: %2.")
                                           .arg(lineNumber)
                                           .arg(wrong),
                                       result.rows);
            break;
        }
        (values.shown == Unit::Pixels ? pixelRows : micrometreRows) = true;
        store.append(ms, ms, values);
        ++result.rows;
    }
    if (result.rows == 0) {
        result.refused = true;
        if (result.problem.isEmpty())
            result.problem = lineNumber == 0 ? QStringLiteral("It is empty.")
                                             : QStringLiteral("It holds no live frames.");
    }
    result.unitChanged = pixelRows && micrometreRows;
    result.unit = micrometreRows && !pixelRows ? Unit::Micrometres : Unit::Pixels;
    return result;
}
