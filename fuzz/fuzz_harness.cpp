// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz_harness.h"

#include "app/VidaREZezad11.h"
#include "runtime/runtime.h"
#include "state/globals.h"

#include <QFile>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

void removeScratchFolder();

// Made once and never destroyed, so the clean-up at exit still finds it.
const std::filesystem::path &scratchFolder() {
    static const auto *folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "rmox-fuzz-XXXXXX").string();
        FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
        std::atexit(removeScratchFolder);
        return new std::filesystem::path(pattern);
    }();
    return *folder;
}

void removeScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder(), ignored);
}

} // namespace

void FuzzCheckFailed(const char *condition, const char *file, int line) {
    std::fprintf(stderr, "fuzz check failed: %s at %s:%d\n", condition, file, line);
    std::abort();
}

void StartFuzzApp() {
    static bool started = false;
    if (started)
        return;
    started = true;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!std::getenv("XDG_RUNTIME_DIR"))
        setenv("XDG_RUNTIME_DIR", scratchFolder().c_str(), 1);
    if (!std::getenv("RMOX_FUZZ_VERBOSE"))
        qInstallMessageHandler(dropMessage);
    // Qt takes the arguments it knows out of argv; the fuzzer's own stay untouched this way.
    static char name[] = "rmox-fuzz";
    static char *argv[] = {name, nullptr};
    static int argc = 1;
    FUZZ_CHECK(InitCVIRTEEx(argc, argv, nullptr) == 1);
    RegisterCallbacks();
}

void LoadToolPanels() {
    panelHandle = LoadPanel(0, RMOX_PANEL_FILE, 1);
    FUZZ_CHECK(panelHandle > 0);
    panelPopUp = LoadPanel(panelHandle, RMOX_PANEL_FILE, 2);
    FUZZ_CHECK(panelPopUp > 0);
    GetProjectDir(proj_dir);
    InitVars();
}

std::string ScratchPath(const char *name) {
    return (scratchFolder() / name).string();
}

void WriteScratchFile(const std::string &path, const QByteArray &content) {
    QFile file(QString::fromStdString(path));
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(content) == content.size());
}

std::uint8_t FuzzInput::byte() {
    if (left_ == 0)
        return 0;
    --left_;
    return *data_++;
}

std::uint16_t FuzzInput::word() {
    const std::uint16_t high = byte();
    return static_cast<std::uint16_t>(high << 8 | byte());
}

QByteArray FuzzInput::bytes(std::size_t count) {
    const std::size_t n = std::min(count, left_);
    QByteArray out(reinterpret_cast<const char *>(data_), static_cast<qsizetype>(n));
    data_ += n;
    left_ -= n;
    return out;
}
