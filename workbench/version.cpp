#include "workbench/version.h"

QString VersionLine() {
    return QStringLiteral("rmox-sensor-tool " RMOX_VERSION);
}
