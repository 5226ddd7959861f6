// SPDX-License-Identifier: GPL-3.0-or-later
// The platform layer's serial tap as Qt signals. The tap takes one listener only; this object
// is that listener for the whole workbench and passes every event on to each feature that
// connects. Created with the workbench, before any port opens, so start-up traffic is seen.
//
// Connections must stay direct: a slot runs inside the serial call that caused the event, so
// it must be cheap and must not call the serial functions.
#pragma once

#include "runtime/serial_tap.h"

#include <QObject>

class SerialEvents : public QObject {
    Q_OBJECT
  public:
    SerialEvents();
    ~SerialEvents() override;

  signals:
    void happened(const SerialTapEvent &event);
};
