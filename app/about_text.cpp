// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_text.h"

#include "runtime/runtime.h"
#include "state/globals.h"

namespace {

struct AboutLine {
    const char *text;
    int left;
    int top;
    int pointSize;
};

// Laid out inside the 64-pixel banner at the top of the main panel.
constexpr AboutLine kAboutLines[] = {
    {"R-MOX-QF Series CCD Line Sensors", 14, 8, 14},
    {"Service and Monitoring Tool", 14, 36, 10},
    {"Version " RMOX_VERSION, 470, 6, 9},
    {"RS-232: 19200 baud, 8 data bits, no parity, 1 stop bit", 470, 24, 9},
    {"Support: ask your sensor supplier's service desk", 470, 42, 9},
};

constexpr int kAboutBackground = 0x0080FF;

} // namespace

void ShowInfoText(const char *text, int left, int top, int pointSize) {
    int ctrl = NewCtrl(panelHandle, CTRL_TEXT_MSG, "", top, left);
    SetCtrlAttribute(panelHandle, ctrl, ATTR_TEXT_FONT, VAL_APP_META_FONT);
    SetCtrlAttribute(panelHandle, ctrl, ATTR_TEXT_COLOR, VAL_WHITE);
    SetCtrlAttribute(panelHandle, ctrl, ATTR_TEXT_BGCOLOR, kAboutBackground);
    SetCtrlAttribute(panelHandle, ctrl, ATTR_TEXT_POINT_SIZE, pointSize);
    SetCtrlVal(panelHandle, ctrl, text);
}

void ShowAboutTexts() {
    for (const AboutLine &line : kAboutLines)
        ShowInfoText(line.text, line.left, line.top, line.pointSize);
}
