// SPDX-License-Identifier: GPL-3.0-or-later
// The main panel's port ring as the port finder shows it: every item names the device its port
// opens and what is behind it, new devices are appended as numbered items, and a last item,
// "Other device...", asks for a path by hand. That item is disabled, so that no choice and no
// key can make it the ring's value (its number has no device); a click on it in the list is
// caught before the list sees it. Item texts change from code without events, and the ring's
// current item never moves: items are only appended behind the current one.
#pragma once

#include "workbench/ports/port_table.h"

#include <QObject>

class QComboBox;

class PortRing : public QObject {
    Q_OBJECT
  public:
    static constexpr const char *kOtherText = "Other device\u2026";

    explicit PortRing(QComboBox *ring);

    PortTable &table() { return table_; }
    const DeviceScan &scan() const { return scan_; }
    // Numbers the new devices of `scan` and brings every item's text up to date.
    void show(const DeviceScan &scan, int pulledOut);
    // Asks for a device path and chooses it (see choose).
    void askForDevice();
    // Gives `path` a number (or finds the one it has) and chooses that item as a user's choice
    // on the ring does, so the tool opens it.
    void choose(const QString &path);

  signals:
    // A port was numbered; the watch must follow its path.
    void numbered();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    int otherIndex() const;
    void refresh();
    void showChoiceInToolTip();

    QComboBox *ring_;
    QString toolTip_; // the ring's own
    PortTable table_;
    DeviceScan scan_;
    int pulledOut_ = 0;
};
