#include "workbench/workbench.h"

#include "workbench/comm_log_feature.h"
#include "workbench/menu_bar.h"

#include <QtGlobal>

Workbench::Workbench(const Options &options) : options_(options) {
    for (auto it = options_.ports.cbegin(); it != options_.ports.cend(); ++it)
        qputenv(qPrintable(QStringLiteral("RMOX_COM%1").arg(it.key())), it.value().toLocal8Bit());
    connect(&core_, &CoreEvents::panelsReady, this, &Workbench::build);
}

Workbench::~Workbench() = default;

// The panels exist, the application object too; the port is not open yet.
void Workbench::build() {
    menus_ = std::make_unique<MenuBar>();
    new CommLogFeature(core_, serial_, *menus_, options_.logPath, this);
}
