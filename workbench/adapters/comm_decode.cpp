// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/adapters/comm_decode.h"

#include <QStringList>
#include <algorithm>

namespace {

// The parameter set in packet order, by the names of the tool's variables.
const char *const kParameterNames[kFrameDataWords] = {
    "power", "pwrMode", "vThd",  "bVal",  "polarity", "eMode",  "eBeg",  "eEnd",
    "tVal",  "tTol",    "iGain", "ePoti", "ccdMode",  "pStart", "bMode", "para15",
};

QString hexWord(int word) {
    return QStringLiteral("0x") + QString::number(word, 16).toUpper().rightJustified(4, '0');
}

int wordAt(const QByteArray &bytes, qsizetype at) {
    return WordAt(bytes.constData() + at);
}

int dataWords(const QByteArray &bytes) {
    return int(std::clamp<qsizetype>((bytes.size() - kDataAt) / 2, 0, kFrameDataWords));
}

int dataWord(const QByteArray &bytes, int i) {
    return wordAt(bytes, kDataAt + 2 * i);
}

// `names[i]` for the first `named` words, w<i> for the rest.
QString namedWords(const QByteArray &bytes, const char *const *names, int named) {
    QStringList parts;
    const int count = dataWords(bytes);
    for (int i = 0; i < count; ++i)
        parts << (i < named ? QString::fromLatin1(names[i]) : QStringLiteral("w%1").arg(i)) + '=' +
                     QString::number(dataWord(bytes, i));
    return parts.join(' ');
}

QString rawWords(const QByteArray &bytes) {
    return namedWords(bytes, nullptr, 0);
}

QString parameterWords(const QByteArray &bytes) {
    return namedWords(bytes, kParameterNames, kFrameDataWords);
}

QString liveWords(const QByteArray &bytes) {
    QStringList parts;
    const int count = std::min<int>(dataWords(bytes), LIVE_WORDS);
    for (int i = 0; i < count; ++i)
        parts << QStringLiteral("%1=%2")
                     .arg(QString::fromLatin1(kLiveWordNames[i]))
                     .arg(dataWord(bytes, i));
    return parts.join(' ');
}

QString echoWords(const QByteArray &bytes) {
    if (dataWords(bytes) == 0)
        return {};
    const int mark = dataWord(bytes, 0);
    const QString text =
        QStringLiteral("echo=%1 %2")
            .arg(hexWord(mark), mark == ECHO_ANSWER ? QStringLiteral("(line ok)")
                                                    : QStringLiteral("(not 0x00AA)"));
    const QString rest = parameterWords(bytes).section(' ', 1);
    return rest.isEmpty() ? text : text + ' ' + rest;
}

QString blockRequest(const QByteArray &bytes) {
    if (dataWords(bytes) < 2)
        return rawWords(bytes);
    const int first = dataWord(bytes, BLOCK_FIRST_SAMPLE);
    return QStringLiteral("block %1 (samples %2–%3), ref_flag %4")
        .arg(first / kVideoBlockSamples)
        .arg(first)
        .arg(first + kVideoBlockSamples - 1)
        .arg(dataWord(bytes, BLOCK_REF_FLAG));
}

QString blockSamples(const QByteArray &bytes, int firstSample) {
    const int count = int(std::min<qsizetype>(bytes.size() / 2, kVideoBlockSamples));
    QStringList samples;
    for (int i = 0; i < count; ++i)
        samples << QString::number(wordAt(bytes, 2 * i));
    QString range = QStringLiteral("samples %1–%2").arg(firstSample).arg(firstSample + count - 1);
    if (count < kVideoBlockSamples)
        range += QStringLiteral(" (%1 of %2)").arg(count).arg(kVideoBlockSamples);
    QString text = range + ": " + samples.join(' ');
    if (bytes.size() > kVideoBlockBytes)
        text += QStringLiteral(" +%1 bytes beyond the block").arg(bytes.size() - kVideoBlockBytes);
    return text;
}

// The words of a frame that does not begin as the request did, as the tool still takes it.
QString headerDifferences(const QByteArray &bytes, int order) {
    if (bytes.size() < kDataAt)
        return {};
    QStringList parts;
    if (wordAt(bytes, kSyncAt) != SYNC_WORD)
        parts << QStringLiteral("sync ") + hexWord(wordAt(bytes, kSyncAt));
    if (wordAt(bytes, kOrderAt) != order)
        parts << QStringLiteral("order word ") + hexWord(wordAt(bytes, kOrderAt));
    return parts.join(' ');
}

QString replyFields(const QByteArray &bytes, int order) {
    switch (order) {
    case ORDER_READ_RAM:
    case ORDER_READ_EEPROM:
    case ORDER_TEACH_BACKGROUND:
        return parameterWords(bytes);
    case ORDER_ECHO:
        return echoWords(bytes);
    case ORDER_LIVE_VALUES:
        return liveWords(bytes);
    default:
        return rawWords(bytes);
    }
}

QString joined(const QString &a, const QString &b) {
    return a.isEmpty() ? b : b.isEmpty() ? a : a + ' ' + b;
}

} // namespace

QString OrderMeaning(int order) {
    if (order < 1 || order > kHighestOrder)
        return {};
    return QString::fromLatin1(kOrders[order].name);
}

QString OrderTitle(int order) {
    const QString meaning = OrderMeaning(order);
    return meaning.isEmpty() ? QStringLiteral("%1 unknown order").arg(order)
                             : QStringLiteral("%1 %2").arg(order).arg(meaning);
}

QString DecodeRequest(const QByteArray &bytes) {
    switch (OrderWordOf(bytes)) {
    case ORDER_WRITE_RAM:
    case ORDER_READ_RAM:
    case ORDER_WRITE_EEPROM:
    case ORDER_READ_EEPROM:
    case ORDER_TEACH_BACKGROUND:
    case ORDER_ECHO:
        return parameterWords(bytes);
    case ORDER_VIDEO_BLOCK:
        return blockRequest(bytes);
    default:
        return rawWords(bytes);
    }
}

QString DecodeReply(const QByteArray &bytes, int requestOrder, int firstSample) {
    if (requestOrder == ORDER_VIDEO_BLOCK)
        return blockSamples(bytes, firstSample);
    return joined(headerDifferences(bytes, requestOrder), replyFields(bytes, requestOrder));
}

QString HexOf(const QByteArray &bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

int ReplyBytesFor(int order) {
    return order >= 1 && order <= kHighestOrder ? kOrders[order].replyBytes : 0;
}

bool StartsWithSync(const QByteArray &bytes) {
    return bytes.size() >= kSyncAt + 2 && wordAt(bytes, kSyncAt) == SYNC_WORD;
}

bool FrameMatches(const QByteArray &bytes, int order) {
    return bytes.size() >= kDataAt && StartsWithSync(bytes) && wordAt(bytes, kOrderAt) == order;
}

int OrderWordOf(const QByteArray &bytes) {
    return bytes.size() >= kDataAt ? wordAt(bytes, kOrderAt) : 0;
}

int FirstWordOf(const QByteArray &bytes) {
    return dataWords(bytes) > 0 ? dataWord(bytes, 0) : 0;
}
