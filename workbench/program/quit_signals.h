// SPDX-License-Identifier: GPL-3.0-or-later
// SIGTERM and SIGINT end the tool as File → Quit does, so that a run ended by its script
// (`timeout`, `kill`) or by Ctrl+C in the terminal still ends its recording and log files and
// writes its --report. As with Quit, a running Run or Data holds the end until Stop; a second
// signal ends the tool at once.
#pragma once

#include <QObject>

class QSocketNotifier;

class QuitSignals : public QObject {
    Q_OBJECT
  public:
    QuitSignals();
    ~QuitSignals() override;

  private:
    QSocketNotifier *notifier_ = nullptr;
};
