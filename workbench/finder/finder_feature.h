// SPDX-License-Identifier: GPL-3.0-or-later
// Find sensor: File -> Find sensor... and a button beside the Port ring search every device of
// the ring for a sensor while no operation runs (both are dimmed while one does). The port the
// tool has open is not touched: what its own echo check saw is reported for it. A click on a
// device where a sensor answered picks it on the ring, as the user's own pick does.
#pragma once

#include "workbench/finder/device_search.h"
#include "workbench/finder/finder_model.h"
#include "workbench/finder/finder_window.h"
#include "workbench/shared/line_check_watch.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>

class CoreEvents;
class MenuBar;
class QAction;
class SerialEvents;

class FinderFeature : public QObject {
    Q_OBJECT
  public:
    static constexpr int kPollMs = 10;
    static constexpr int kIdleCheckMs = 100;

    // `targets` gives the ring's devices as they are now.
    FinderFeature(CoreEvents &core, SerialEvents &serial, MenuBar &menus,
                  std::function<QList<SearchTarget>()> targets);
    ~FinderFeature() override;

    // Shows the window and searches, unless an operation runs or a search does.
    void start();
    bool searching() const { return search_ != nullptr; }
    FinderWindow *window() const { return window_; }
    QPushButton *button() const { return button_; }

  signals:
    void finished();

  private:
    void poll();
    void cancel();
    void end(const QString &text);
    void pick(int row);
    void followOperations();
    ProbeFinding inUseFinding() const;

    std::function<QList<SearchTarget>()> targets_;
    LineCheckWatch checks_;
    FinderModel model_;
    QPointer<FinderWindow> window_; // owned by the main panel, which may go first
    QAction *action_;
    QPointer<QPushButton> button_;
    std::unique_ptr<DeviceSearch> search_;
    QList<bool> shown_; // rows whose finding the model has
    QTimer poll_;
    QTimer idle_;
    QElapsedTimer clock_;
};
