// The serial ports' tap as a Qt signal, so that any workbench feature can listen to what the
// ports do. Connections must stay direct, and a slot must not call the serial functions: it
// runs inside the serial call that caused the event.
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
