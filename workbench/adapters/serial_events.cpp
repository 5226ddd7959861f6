// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/adapters/serial_events.h"

SerialEvents::SerialEvents() {
    rtSetSerialTap([this](const SerialTapEvent &e) { emit happened(e); });
}

SerialEvents::~SerialEvents() {
    rtSetSerialTap({});
}
