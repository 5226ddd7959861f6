// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the fuzz targets: the application object, the tool's panels, a scratch
// folder for files, a reader that turns the fuzzer's bytes into decisions, and the check that
// stops a run on a broken invariant.
#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <string>

// Aborts with the failed condition, so the fuzzer records the input as a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            FuzzCheckFailed(#condition, __FILE__, __LINE__);                                       \
    } while (0)

[[noreturn]] void FuzzCheckFailed(const char *condition, const char *file, int line);

// Creates the application object once: offscreen, with Qt's messages silenced unless
// RMOX_FUZZ_VERBOSE is set (malformed panel files would print a warning per input), and with
// every callback name of the panel file registered.
void StartFuzzApp();
// Loads the tool's two panels from its panel file and runs InitVars, as start-up does.
void LoadToolPanels();

// A file path inside a private folder that is removed when the process ends.
std::string ScratchPath(const char *name);
// Replaces the file's content; aborts when it cannot be written.
void WriteScratchFile(const std::string &path, const QByteArray &content);

// Takes the fuzzer's bytes front to back. Once they run out, every read yields zeros, so a
// short input still makes whole decisions.
class FuzzInput {
  public:
    FuzzInput(const std::uint8_t *data, std::size_t size) : data_(data), left_(size) {}
    bool empty() const { return left_ == 0; }
    std::uint8_t byte();
    // Two bytes, high byte first.
    std::uint16_t word();
    // Up to `count` bytes; fewer when the input ends first.
    QByteArray bytes(std::size_t count);
    QByteArray rest() { return bytes(left_); }

  private:
    const std::uint8_t *data_;
    std::size_t left_;
};
