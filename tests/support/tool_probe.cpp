// SPDX-License-Identifier: GPL-3.0-or-later
#include "tool_probe.h"

#include "app/VidaREZezad11.h"
#include "link/COM232.h"
#include "ops/port_setup.h"
#include "ops/transfer.h"
#include "params/panel_binding.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "state/globals.h"
#include "state/panel_controls.h"

#include <QFile>
#include <QTest>

namespace toolprobe {

namespace {

// Packet order, as the variables are packed.
unsigned short *const kVariables[PNUM] = {&power,   &pwrMode, &vThd,  &bVal,  &polarity, &eMode,
                                          &eBeg,    &eEnd,    &tVal,  &tTol,  &iGain,    &ePoti,
                                          &ccdMode, &pStart,  &bMode, &para15};

void setVariables(const Words &w) {
    for (int i = 0; i < PNUM; ++i)
        *kVariables[i] = w[i];
}

} // namespace

Words variables() {
    Words w;
    for (int i = 0; i < PNUM; ++i)
        w[i] = *kVariables[i];
    return w;
}

Words panelWords() {
    const Words saved = variables();
    GetPanelValues();
    const Words shown = variables();
    setVariables(saved);
    return shown;
}

Words rangeChecked(const Words &w) {
    const Words saved = variables();
    setVariables(w);
    RangeCheckParameters();
    const Words checked = variables();
    setVariables(saved);
    return checked;
}

Words frameTaken() {
    return wordsOf(QByteArray(szReadBuf, kFrameBytes));
}

Words wordsOf(const QByteArray &frame) {
    Words w{};
    for (int i = 0; i < PNUM && 5 + 2 * i < frame.size(); ++i)
        w[i] =
            static_cast<unsigned short>(quint8(frame[4 + 2 * i]) << 8 | quint8(frame[5 + 2 * i]));
    return w;
}

void attach(const QString &device) {
    CloseCom(com);
    qputenv("RMOX_COM1", device.toLocal8Bit());
    InitRS232(1);
}

int valueOf(int panel, int control) {
    int v = -1;
    GetCtrlVal(panel, control, &v);
    return v;
}

int attributeOf(int panel, int control, int attribute) {
    int v = -1;
    GetCtrlAttribute(panel, control, attribute, &v);
    return v;
}

int dimmed(int panel, int control) {
    return attributeOf(panel, control, ATTR_DIMMED);
}

void getFromRam() {
    target = RAM;
    CC_BTNGet(panelHandle, MAIN_GET, EVENT_COMMIT, nullptr, 0, 0);
}

void writeSetFile(const QString &path, const Words &w) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (unsigned short v : w)
        file.write(QByteArray::number(v) + '\n');
}

} // namespace toolprobe
