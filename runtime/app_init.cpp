// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime.h"
#include "window_system.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {

QApplication *ownApp = nullptr;

const char *programName(int argc, char **argv) {
    if (argc < 1 || !argv[0] || !*argv[0])
        return "VidaREZezad11";
    const char *slash = std::strrchr(argv[0], '/');
    return slash ? slash + 1 : argv[0];
}

} // namespace

int InitCVIRTEEx(int &argc, char **argv, void *) {
    if (QCoreApplication::instance())
        return 1;
    // Qt aborts the process when no window system can be reached; fail here instead.
    if (const std::string problem = rtWindowSystemProblem(argc, argv); !problem.empty()) {
        std::fprintf(stderr, "%s: cannot open a display (%s); start it from a graphical session\n",
                     programName(argc, argv), problem.c_str());
        return 0;
    }
    ownApp = new QApplication(argc, argv);
    QApplication::setApplicationName("VidaREZezad11");
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
