// SPDX-License-Identifier: GPL-3.0-or-later
// The about text in the banner of the main panel.
#pragma once

void ShowInfoText(const char *text, int left, int top, int pointSize);
// Creates the five about-text controls on the main panel.
void ShowAboutTexts();
