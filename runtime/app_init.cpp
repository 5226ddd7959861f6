#include "runtime.h"

#include <QApplication>
#include <cstring>

namespace {
QApplication *ownApp = nullptr;
}

int InitCVIRTEEx(int &argc, char **argv, void *) {
    if (QCoreApplication::instance())
        return 1;
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
