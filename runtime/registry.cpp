// SPDX-License-Identifier: GPL-3.0-or-later
#include "registry.h"

#include "runtime_qt.h"

namespace {

std::map<int, PanelRecord> &panels() {
    static std::map<int, PanelRecord> table;
    return table;
}

std::map<std::string, CtrlCallbackPtr> &ctrlCallbacks() {
    static std::map<std::string, CtrlCallbackPtr> table;
    return table;
}

std::map<std::string, PanelCallbackPtr> &panelCallbacks() {
    static std::map<std::string, PanelCallbackPtr> table;
    return table;
}

const char *kPanelTag = "_rtPanel";
const char *kControlTag = "_rtControl";

template <typename Fn>
bool lookup(const std::map<std::string, Fn> &table, const std::string &name, Fn *out) {
    if (name.empty()) {
        *out = nullptr;
        return true;
    }
    auto it = table.find(name);
    if (it == table.end())
        return false;
    *out = it->second;
    return true;
}

} // namespace

void RegisterCtrlCallback(const char *name, CtrlCallbackPtr fn) {
    ctrlCallbacks()[name] = fn;
}

void RegisterPanelCallback(const char *name, PanelCallbackPtr fn) {
    panelCallbacks()[name] = fn;
}

bool rtLookupCtrlCallback(const std::string &name, CtrlCallbackPtr *out) {
    return lookup(ctrlCallbacks(), name, out);
}

bool rtLookupPanelCallback(const std::string &name, PanelCallbackPtr *out) {
    return lookup(panelCallbacks(), name, out);
}

PanelRecord *rtPanel(int panel) {
    auto it = panels().find(panel);
    if (it == panels().end() || !it->second.widget)
        return nullptr;
    return &it->second;
}

ControlRecord *rtControl(int panel, int control) {
    PanelRecord *p = rtPanel(panel);
    if (!p)
        return nullptr;
    auto it = p->controls.find(control);
    if (it == p->controls.end() || !it->second.widget)
        return nullptr;
    return &it->second;
}

int rtAddPanel(PanelRecord record) {
    static int nextHandle = 1;
    int handle = nextHandle++;
    panels()[handle] = std::move(record);
    return handle;
}

void rtRemovePanel(int panel) {
    panels().erase(panel);
}

void rtTagControl(QWidget *widget, int panel, int control) {
    widget->setProperty(kPanelTag, panel);
    widget->setProperty(kControlTag, control);
}

bool rtFindControl(const QObject *object, int *panel, int *control, QWidget **controlWidget) {
    for (const QObject *o = object; o; o = o->parent()) {
        QVariant c = o->property(kControlTag);
        if (c.isValid()) {
            *panel = o->property(kPanelTag).toInt();
            *control = c.toInt();
            *controlWidget = const_cast<QWidget *>(qobject_cast<const QWidget *>(o));
            return rtControl(*panel, *control) != nullptr;
        }
        if (o->isWidgetType() && static_cast<const QWidget *>(o)->isWindow())
            return false;
    }
    return false;
}

int rtFindPanel(const QObject *object) {
    for (auto &[handle, record] : panels()) {
        if (record.widget == object)
            return handle;
    }
    return 0;
}

QWidget *rtControlWidget(int panel, int control) {
    ControlRecord *c = rtControl(panel, control);
    return c ? c->widget.data() : nullptr;
}

QWidget *rtPanelWidget(int panel) {
    PanelRecord *p = rtPanel(panel);
    return p ? p->widget.data() : nullptr;
}
