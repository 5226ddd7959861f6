// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter file loader on arbitrary file content. The first input byte picks the file
// dialog's answer and which path it names; the rest is the file. The loader must take the
// file only when it holds exactly sixteen unsigned decimal numbers separated by white space,
// and then the parameter set holds their low 16 bits; otherwise nothing changes. A dialog
// error or a refused file reports a failed read; a cancel reports nothing.
#include "fuzz_harness.h"

#include "app/VidaREZezad11.h"
#include "ops/param_file.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "runtime/testing.h"
#include "state/globals.h"
#include "state/status_line.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using Words = std::array<unsigned int, PNUM>;
using Packet = std::array<unsigned short, PNUM>;

// The parameter variables in packet order.
unsigned short *const kVariables[PNUM] = {&power,   &pwrMode, &vThd,  &bVal,  &polarity, &eMode,
                                          &eBeg,    &eEnd,    &tVal,  &tTol,  &iGain,    &ePoti,
                                          &ccdMode, &pStart,  &bMode, &para15};

constexpr unsigned int kUntouched = 0xDEADBEEF;
constexpr const char *kStatusBefore = "status before the load";

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// An unsigned decimal number of any length, cut to the file's 32-bit values.
std::optional<unsigned int> number(const QByteArray &token) {
    if (token.isEmpty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : token) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = (value * 10 + std::uint64_t(c - '0')) % (std::uint64_t(1) << 32);
    }
    return static_cast<unsigned int>(value);
}

// The file's numbers when it holds exactly sixteen, separated and maybe followed by white
// space, within the loader's size bound; nothing otherwise.
std::optional<Words> expectedWords(const QByteArray &content) {
    if (content.size() > PNUM * kArrayFileBytesPerNumber)
        return std::nullopt;
    std::vector<QByteArray> tokens;
    qsizetype at = 0;
    while (true) {
        while (at < content.size() && isSpace(content[at]))
            ++at;
        if (at == content.size())
            break;
        const qsizetype begin = at;
        while (at < content.size() && !isSpace(content[at]))
            ++at;
        tokens.push_back(content.mid(begin, at - begin));
    }
    if (tokens.size() != PNUM)
        return std::nullopt;
    Words words{};
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::optional<unsigned int> value = number(tokens[i]);
        if (!value)
            return std::nullopt;
        words[i] = *value;
    }
    return words;
}

Packet variables() {
    Packet p{};
    for (int i = 0; i < PNUM; ++i)
        p[std::size_t(i)] = *kVariables[i];
    return p;
}

Packet packet() {
    Packet p{};
    std::copy(pp, pp + PNUM, p.begin());
    return p;
}

Packet low16(const Words &words) {
    Packet p{};
    for (int i = 0; i < PNUM; ++i)
        p[std::size_t(i)] = static_cast<unsigned short>(words[std::size_t(i)] & 0xFFFF);
    return p;
}

int readArray(const std::string &path, Words &out) {
    return FileToArray(path.c_str(), out.data(), VAL_UNSIGNED_INTEGER, PNUM, 1, VAL_GROUPS_TOGETHER,
                       VAL_GROUPS_AS_COLUMNS, VAL_ASCII);
}

void checkArrayRead(const std::string &path, const std::optional<Words> &expected) {
    Words read;
    read.fill(kUntouched);
    const int result = readArray(path, read);
    if (expected) {
        FUZZ_CHECK(result == 0 && read == *expected);
    } else {
        Words untouched;
        untouched.fill(kUntouched);
        FUZZ_CHECK(result < 0 && read == untouched);
    }
}

// What the tool writes it must read back unchanged.
void checkRoundTrip(const Words &words) {
    const std::string path = ScratchPath("written.dat");
    FUZZ_CHECK(ArrayToFile(path.c_str(), words.data(), VAL_UNSIGNED_INTEGER, PNUM, 1,
                           VAL_GROUPS_TOGETHER, VAL_GROUPS_AS_COLUMNS, VAL_CONST_WIDTH, 4,
                           VAL_ASCII, VAL_TRUNCATE) == 0);
    Words back;
    back.fill(kUntouched);
    FUZZ_CHECK(readArray(path, back) == 0 && back == words);
}

// A parameter set that no file in the corpus is likely to hold.
void setDistinctParameters() {
    for (int i = 0; i < PNUM; ++i) {
        *kVariables[i] = static_cast<unsigned short>(0xA5A0 + i);
        pp[i] = static_cast<unsigned short>(0x5A50 + i);
    }
}

void checkDialogLoad(int answer, const std::string &path, const std::optional<Words> &expected) {
    setDistinctParameters();
    const Packet variablesBefore = variables();
    const Packet packetBefore = packet();
    SetStatusText(kStatusBefore);
    SetNextFileSelectAnswer(answer, path.c_str());
    ReadParaFromFile();
    if (answer > 0 && expected) {
        FUZZ_CHECK(variables() == low16(*expected));
        FUZZ_CHECK(packet() == low16(*expected));
    } else {
        FUZZ_CHECK(variables() == variablesBefore);
        FUZZ_CHECK(packet() == packetBefore);
    }
    const char *status = answer == 0              ? kStatusBefore
                         : answer > 0 && expected ? "Parameter file loaded!"
                                                  : "Parameter file could not be read!";
    FUZZ_CHECK(std::strcmp(szStatus, status) == 0);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    StartFuzzApp();
    return 0;
}

// Control byte: bits 0-1 the dialog's answer (existing file, new file name, nothing chosen,
// error); bits 2-3 the path it names (the file, twice; a missing file; a folder).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t control = in.byte();
    const QByteArray content = in.rest();
    const std::string file = ScratchPath("DIRIdadu.dat");
    WriteScratchFile(file, content);
    const std::optional<Words> expected = expectedWords(content);

    checkArrayRead(file, expected);
    if (expected)
        checkRoundTrip(*expected);

    static constexpr std::array<int, 4> kAnswers{VAL_EXISTING_FILE_SELECTED, VAL_NEW_FILE_SELECTED,
                                                 VAL_NO_FILE_SELECTED, -1};
    const int answer = kAnswers[control & 3];
    switch ((control >> 2) & 3) {
    case 2:
        checkDialogLoad(answer, ScratchPath("missing.dat"), std::nullopt);
        break;
    case 3:
        checkDialogLoad(answer, ScratchPath(""), std::nullopt);
        break;
    default:
        checkDialogLoad(answer, file, expected);
        break;
    }
    return 0;
}
