// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's menu bar: File, View and Help. The workbench's features add their items
// to the File and View menus.
#pragma once

class QMenu;
class QMenuBar;

class MenuBar {
  public:
    // Puts the menu bar on top of the main panel.
    MenuBar();
    QMenu *file() const { return file_; }
    QMenu *view() const { return view_; }

  private:
    QMenuBar *bar_;
    QMenu *file_;
    QMenu *view_;
    QMenu *help_;
};
