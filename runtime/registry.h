// SPDX-License-Identifier: GPL-3.0-or-later
// Panels, their controls and the callback name tables, by handle and control number.
#pragma once

#include "runtime.h"

#include <QPointer>
#include <QWidget>
#include <map>
#include <string>

struct ControlRecord {
    QPointer<QWidget> widget;
    CtrlCallbackPtr callback = nullptr;
};

struct PanelRecord {
    QPointer<QWidget> widget;
    int parent = 0;
    PanelCallbackPtr callback = nullptr;
    std::map<int, ControlRecord> controls;
};

PanelRecord *rtPanel(int panel);
ControlRecord *rtControl(int panel, int control);
// Takes ownership of the record and returns its new handle (> 0).
int rtAddPanel(PanelRecord record);
void rtRemovePanel(int panel);

// Resolves a callback name; an empty name resolves to "no callback". False for unknown names.
bool rtLookupCtrlCallback(const std::string &name, CtrlCallbackPtr *out);
bool rtLookupPanelCallback(const std::string &name, PanelCallbackPtr *out);

// Control identity stored on the widget itself, so that input can be traced to its control.
void rtTagControl(QWidget *widget, int panel, int control);
// The control that owns `object` (the object or an ancestor within the same window).
bool rtFindControl(const QObject *object, int *panel, int *control, QWidget **controlWidget);
// The panel whose top-level widget is `object`, or 0.
int rtFindPanel(const QObject *object);
