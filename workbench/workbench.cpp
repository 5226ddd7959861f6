#include "workbench/workbench.h"

#include "workbench/menu_bar.h"

#include <QtGlobal>

Workbench::Workbench(const Options &options) : options_(options) {
    for (auto it = options_.ports.cbegin(); it != options_.ports.cend(); ++it)
        qputenv(qPrintable(QStringLiteral("RMOX_COM%1").arg(it.key())), it.value().toLocal8Bit());
    SetCoreListener(this);
}

Workbench::~Workbench() {
    SetCoreListener(nullptr);
}

void Workbench::panelsLoaded() {
    menus_ = std::make_unique<MenuBar>();
}
