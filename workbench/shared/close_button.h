// SPDX-License-Identifier: GPL-3.0-or-later
// The Close button of a workbench window; Escape closes the window too, as it closes a dialog.
#pragma once

class QDialogButtonBox;
class QWidget;

// A button box with Close for `window`'s layout.
QDialogButtonBox *AddCloseButton(QWidget *window);
