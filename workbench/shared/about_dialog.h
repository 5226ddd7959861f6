// SPDX-License-Identifier: GPL-3.0-or-later
// Help → About: version, licence, how to try the tool without a sensor, and the README.
#pragma once

#include <QString>

class QWidget;

void ShowAboutDialog(QWidget *parent);
// The README installed with the tool, or the one beside the executable in the build tree;
// empty when there is none.
QString ReadmePath();
