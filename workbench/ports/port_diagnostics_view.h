// SPDX-License-Identifier: GPL-3.0-or-later
// View -> Port diagnostics: every port with its device and what is behind it (and the adapter's
// by-id name), the last finding (an open failure or a failed line check) with its cause and
// remedy, and the last reconnect.
#pragma once

#include <QWidget>
#include <functional>

class QTextBrowser;

class PortDiagnosticsView : public QWidget {
    Q_OBJECT
  public:
    // `report` gives the page as HTML; it is asked only while the view is shown.
    PortDiagnosticsView(QWidget *parent, std::function<QString()> report);
    // Shows the report anew, if the view is shown.
    void refresh();

  protected:
    void showEvent(QShowEvent *event) override;

  private:
    std::function<QString()> report_;
    QTextBrowser *text_;
};
