// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime.h"
#include "runtime_qt.h"
#include "window_system.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {

// Made here only when no one made the application object before the core's start-up. Not
// destroyed at exit unless DiscardRuntime is called: the panels' records outlive it otherwise.
QApplication *ownApp = nullptr;

const char *programName(int argc, char **argv) {
    if (argc < 1 || !argv[0] || !*argv[0])
        return "VidaREZezad11";
    const char *slash = std::strrchr(argv[0], '/');
    return slash ? slash + 1 : argv[0];
}

} // namespace

std::unique_ptr<QApplication> rtMakeApplication(int &argc, char **argv) {
    // Qt aborts the process when no window system can be reached; fail here instead.
    if (const std::string problem = rtWindowSystemProblem(argc, argv); !problem.empty()) {
        std::fprintf(stderr, "%s: cannot open a display (%s); start it from a graphical session\n",
                     programName(argc, argv), problem.c_str());
        return nullptr;
    }
    auto app = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName("VidaREZezad11");
    return app;
}

int InitCVIRTEEx(int &argc, char **argv, void *) {
    if (QCoreApplication::instance())
        return 1;
    ownApp = rtMakeApplication(argc, argv).release();
    return ownApp ? 1 : 0;
}

void DiscardRuntime() {
    delete ownApp;
    ownApp = nullptr;
}

int GetProjectDir(char *directoryName) {
    QByteArray dir = QCoreApplication::applicationDirPath().toLocal8Bit();
    constexpr std::size_t kMaxPath = 260;
    std::size_t n = std::min<std::size_t>(dir.size(), kMaxPath - 1);
    std::memcpy(directoryName, dir.constData(), n);
    directoryName[n] = '\0';
    return dir.size() < static_cast<qsizetype>(kMaxPath) ? 0 : -1;
}
