// SPDX-License-Identifier: GPL-3.0-or-later
#include "tool_fixture.h"

#include "app/VidaREZezad11.h"
#include "link/COM232.h"
#include "ops/run_stop.h"
#include "runtime/runtime_qt.h"
#include "state/globals.h"
#include "state/notify.h"
#include "state/panel_controls.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The workbench's settings and its service history of a test process go to empty folders of
// their own, never to the user's; the processes it starts, the tool among them, inherit them.
const QTemporaryDir configHome;
[[maybe_unused]] const bool configHomeSet =
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
const QTemporaryDir dataHome;
[[maybe_unused]] const bool dataHomeSet = qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());

} // namespace

bool StartToolPanels() {
    RegisterCallbacks();
    panelHandle = LoadPanel(0, "VidaREZezad11.uir", 1);
    if (panelHandle < 0) {
        qWarning("main panel did not load: %d", panelHandle);
        return false;
    }
    panelPopUp = LoadPanel(panelHandle, "VidaREZezad11.uir", 2);
    if (panelPopUp < 0) {
        qWarning("pop-up did not load: %d", panelPopUp);
        return false;
    }
    NotifyPanelsLoaded();
    GetProjectDir(proj_dir);
    hidePopUp = 1;
    InitVars();
    return true;
}

void StopToolPanels() {
    CloseCom(com);
    DiscardPanel(panelPopUp);
    DiscardPanel(panelHandle);
}

void PumpEvents(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        ProcessSystemEvents();
}

QString StatusText() {
    char text[256];
    GetCtrlVal(panelHandle, MAIN_STATUS, text, sizeof text);
    return QString::fromUtf8(text);
}

void Click(int control) {
    QWidget *button = rtControlWidget(panelHandle, control);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    PumpEvents(20);
}

void ClickStop() {
    CC_BTNStop(panelHandle, MAIN_STOP, EVENT_LEFT_CLICK, nullptr, 0, 0);
}
