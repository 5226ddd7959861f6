// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/program/find_command.h"

#include "link/protocol.h"
#include "runtime/serial_device.h"
#include "workbench/finder/finder_model.h"
#include "workbench/finder/sensor_probe.h"
#include "workbench/ports/port_table.h"

#include <cstdio>

namespace {

constexpr int kWaitSliceMs = 50;

} // namespace

QList<SearchTarget> RingTargets(const PortTable &table, const DeviceScan &scan) {
    QList<SearchTarget> targets;
    for (int port = 1; port <= table.count(); ++port) {
        const QString path = PortTable::pathOf(port);
        if (!path.isEmpty())
            targets.append({port, path, IsPresent(path, scan)});
    }
    return targets;
}

int RunFindCommand(const Options &options) {
    for (auto it = options.ports.cbegin(); it != options.ports.cend(); ++it)
        rtGiveComDevice(it.key(), it.value());
    PortTable table;
    const DeviceScan scan = ScanSerialDevices(table.watchedPaths());
    table.addNew(scan);
    // Without the panels the echo frame carries no parameter set: its data words are 0.
    const unsigned short words[kFrameDataWords] = {};
    DeviceSearch search(RingTargets(table, scan), EchoFrame(words));
    while (!search.finished())
        search.wait(kWaitSliceMs);
    FinderModel model;
    model.setTargets(search.targets());
    bool answered = false;
    for (int i = 0; i < search.targets().size(); ++i) {
        model.setFinding(i, search.finding(i));
        answered = answered || search.finding(i).answered();
    }
    for (const QString &line : model.lines())
        std::printf("%s\n", qPrintable(line));
    std::printf("%s\n", answered ? "a sensor answered" : "no sensor answered");
    return answered ? 0 : 1;
}
