// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/VidaREZezad11.h"

#include "app/about_text.h"
#include "display/markers.h"
#include "link/protocol.h"
#include "ops/port_setup.h"
#include "params/panel_binding.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "state/notify.h"
#include "state/panel_controls.h"
#include "state/status_line.h"

#include <cstdio>

namespace {

constexpr const char *kPanelFile = "VidaREZezad11.uir";

// The panel file lies in the program's directory.
constexpr int kPanelPathSize = 2 * kPathSize;
void panelFilePath(char *path) {
    char dir[kPathSize];
    GetProjectDir(dir);
    std::snprintf(path, kPanelPathSize, "%s/%s", dir, kPanelFile);
}

} // namespace

int WinMain(int argc, char **argv) {
    static int appArgc = argc;
    if (InitCVIRTEEx(appArgc, argv, nullptr) == 0)
        return -1;
    RegisterCallbacks();
    char path[kPanelPathSize];
    panelFilePath(path);
    if ((panelHandle = LoadPanel(0, path, 1)) < 0)
        return -1;
    if ((panelPopUp = LoadPanel(panelHandle, path, 2)) < 0)
        return -1;
    NotifyPanelsLoaded();
    GetProjectDir(proj_dir);
    InitVars();
    InitRS232(com);
    DisplayPanel(panelHandle);
    RunUserInterface();
    NotifyRunEnding();
    CloseCom(com);
    DiscardPanel(panelPopUp);
    DiscardPanel(panelHandle);
    DiscardRuntime();
    return 0;
}

void InitVars() {
    AssignParameterDefaults();
    com = 1;
    sync = SYNC_WORD;
    target = RAM;
    rx_flag = 0;
    stop_flag = 1;
    SetStatusText("InitVars");
    ShowStatus(szStatus);
    SetCtrlVal(panelHandle, MAIN_UNIT, 1);
    SetCtrlVal(panelPopUp, POP_TOLERANCEENABLE, 1);
    ShowAboutTexts();
    GetPanelValues();
    DrawStartupPicture();
}

int CC_PANEL(int, int event, void *, int, int) {
    if (event == EVENT_CLOSE)
        QuitUserInterface(0);
    return 0;
}

int CC_BTN_CCDSettings(int, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT)
        return 0;
    if (hidePopUp == 0) {
        HidePanel(panelPopUp);
        hidePopUp = 1;
    } else {
        DisplayPanel(panelPopUp);
        hidePopUp = 0;
    }
    return 0;
}

int CC_BTNQuit(int, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT)
        QuitUserInterface(0);
    return 0;
}
