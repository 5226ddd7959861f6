// SPDX-License-Identifier: GPL-3.0-or-later
// What the workbench remembers between runs: the main window's size and place, and for each of
// its own windows its size and place, whether it was open when the tool ended, and what the
// window keeps itself (the log's filters and columns, the trend's span, the report's note). The
// tool's own state is not remembered: start-up opens port 1 and shows the sensor's set, and the
// unit switch starts at pixels.
#pragma once

#include <QObject>
#include <QSet>
#include <QSettings>
#include <QString>

class CoreEvents;
class QWidget;

// The workbench's settings, in the user's configuration folder (rmox-sensor-tool/workbench.conf).
QSettings WorkbenchSettings();

// The group of the settings of the window named `window`.
QString SettingsGroup(const QString &window);

// A workbench window with settings of its own. It reads them when it is made; the memory asks
// it to write them, in the window's own group, when the tool ends.
class KeepsSettings {
  public:
    virtual ~KeepsSettings() = default;
    virtual void saveSettings(QSettings &settings) const = 0;
};

class WindowMemory : public QObject {
    Q_OBJECT
  public:
    // Watches the main panel for its first showing and for the workbench's windows as they
    // are first shown; writes everything down when the core ends.
    explicit WindowMemory(CoreEvents &core);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void mainShown();
    void saveAll();

    QWidget *main_;
    bool mainPlaced_ = false;
    QSet<QString> placed_; // windows given their remembered place
};
