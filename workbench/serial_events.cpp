#include "workbench/serial_events.h"

SerialEvents::SerialEvents() {
    rtSetSerialTap([this](const SerialTapEvent &e) { emit event(e); });
}

SerialEvents::~SerialEvents() {
    rtSetSerialTap({});
}
