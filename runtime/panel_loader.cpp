// SPDX-License-Identifier: GPL-3.0-or-later
// Panels come from a panel file: Qt Designer XML holding every panel of the program as a
// child of one top-level widget. A panel carries the dynamic property `panelId` (its resource
// number) and optionally `callback`; a control carries `ctrlId` and optionally `callback`.
#include "events.h"
#include "panel_placement.h"
#include "registry.h"
#include "runtime_qt.h"
#include "widgets/graph_widget.h"
#include "widgets/numeric.h"
#include "widgets/slide.h"
#include "widgets/switch.h"
#include "widgets/timer.h"

#include <QBuffer>
#include <QFile>
#include <QLabel>
#include <QUiLoader>
#include <QXmlStreamReader>
#include <memory>

namespace {

class PanelUiLoader : public QUiLoader {
  public:
    QWidget *createWidget(const QString &className, QWidget *parent, const QString &name) override {
        QWidget *w = createOwn(className, parent);
        if (!w)
            return QUiLoader::createWidget(className, parent, name);
        w->setObjectName(name);
        return w;
    }

  private:
    static QWidget *createOwn(const QString &className, QWidget *parent) {
        if (className == "RtGraph")
            return new RtGraph(parent);
        if (className == "RtNumeric")
            return new RtNumeric(parent);
        if (className == "RtSwitch")
            return new RtSwitch(parent);
        if (className == "RtLed")
            return new RtLed(parent);
        if (className == "RtSlide")
            return new RtSlide(parent);
        if (className == "RtTimer")
            return new RtTimer(parent);
        return nullptr;
    }
};

// Qt's form loader goes on with a layout it could not create and crashes on it, so a file
// with a layout of no known class is refused before the loader sees it. Other faults of the
// XML are left to the loader, which stops where this scan stops.
bool layoutsKnown(const QByteArray &content, const QStringList &known) {
    QXmlStreamReader xml(content);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.name() == QLatin1String("layout") &&
            !known.contains(xml.attributes().value(QLatin1String("class")).toString()))
            return false;
    }
    return true;
}

QWidget *findPanel(QWidget *root, int resourceId) {
    for (QWidget *w : root->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (w->property("panelId").toInt() == resourceId)
            return w;
    }
    return nullptr;
}

// Gives a control without one an accessible name, so that every control can be found and read.
// Through the property, so that a composite control can hand the name to its parts.
void nameForAssistiveTechnology(QWidget *w) {
    if (!w->property("accessibleName").toString().isEmpty())
        return;
    if (auto *b = qobject_cast<QAbstractButton *>(w); b && !b->text().isEmpty())
        w->setProperty("accessibleName", b->text().remove('&'));
    else
        w->setProperty("accessibleName", w->objectName());
}

// A label that names a composite control (a container handing its focus to one of its parts)
// is pointed at that part: assistive technology takes a label for the name of its buddy, and
// the container carries no value to go with it.
void labelFocusTargets(QWidget *panelWidget) {
    for (QLabel *label : panelWidget->findChildren<QLabel *>()) {
        if (QWidget *buddy = label->buddy(); buddy && buddy->focusProxy())
            label->setBuddy(buddy->focusProxy());
    }
}

int collectControls(QWidget *panelWidget, PanelRecord *record) {
    for (QWidget *w : panelWidget->findChildren<QWidget *>()) {
        QVariant id = w->property("ctrlId");
        if (!id.isValid())
            continue;
        int number = id.toInt();
        if (number <= 0 || record->controls.count(number))
            return UIEDuplicateCtrl;
        ControlRecord control;
        control.widget = w;
        if (!rtLookupCtrlCallback(w->property("callback").toString().toStdString(),
                                  &control.callback))
            return UIECallbackUnknown;
        nameForAssistiveTechnology(w);
        record->controls[number] = control;
    }
    return 0;
}

void placePanel(QWidget *panelWidget, int parentPanel) {
    QWidget *parentWidget = parentPanel ? rtPanelWidget(parentPanel) : nullptr;
    if (parentWidget) {
        panelWidget->setParent(parentWidget,
                               Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    } else {
        panelWidget->setParent(nullptr, Qt::Window);
    }
    panelWidget->hide();
}

// The visible controls of `panel` in global coordinates; none for panel 0.
QList<QRect> controlRects(int panel) {
    QList<QRect> rects;
    if (PanelRecord *record = rtPanel(panel)) {
        for (const auto &[number, control] : record->controls) {
            if (control.widget && control.widget->isVisible())
                rects.append({control.widget->mapToGlobal(QPoint(0, 0)), control.widget->size()});
        }
    }
    return rects;
}

} // namespace

int LoadPanel(int parentPanel, const char *fileName, int resourceId) {
    if (parentPanel && !rtPanel(parentPanel))
        return UIEBadHandle;
    QFile file(QString::fromLocal8Bit(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return UIEFileNotFound;
    QByteArray content = file.readAll();
    PanelUiLoader loader;
    if (!layoutsKnown(content, loader.availableLayouts()))
        return UIEBadPanelFile;
    QBuffer buffer(&content);
    buffer.open(QIODevice::ReadOnly);
    std::unique_ptr<QWidget> root(loader.load(&buffer));
    if (!root)
        return UIEBadPanelFile;
    QWidget *panelWidget = findPanel(root.get(), resourceId);
    if (!panelWidget)
        return UIEPanelNotFound;

    PanelRecord record;
    record.parent = parentPanel;
    if (int err = collectControls(panelWidget, &record))
        return err;
    if (!rtLookupPanelCallback(panelWidget->property("callback").toString().toStdString(),
                               &record.callback))
        return UIECallbackUnknown;

    labelFocusTargets(panelWidget);
    rtInstallInputFilter();
    placePanel(panelWidget, parentPanel);
    record.widget = panelWidget;
    int handle = rtAddPanel(record);
    for (auto &[number, control] : rtPanel(handle)->controls)
        rtAttachControl(control.widget, handle, number);
    return handle;
}

int DisplayPanel(int panel) {
    QWidget *w = rtPanelWidget(panel);
    if (!w)
        return UIEBadHandle;
    if (!w->property("_rtPlaced").toBool()) {
        rtPlacePanel(w, controlRects(rtPanel(panel)->parent));
        w->setProperty("_rtPlaced", true);
    }
    w->show();
    w->raise();
    return 0;
}

int HidePanel(int panel) {
    QWidget *w = rtPanelWidget(panel);
    if (!w)
        return UIEBadHandle;
    w->hide();
    return 0;
}

int DiscardPanel(int panel) {
    QWidget *w = rtPanelWidget(panel);
    if (!w)
        return UIEBadHandle;
    rtForgetPanel(panel);
    rtRemovePanel(panel);
    delete w;
    return 0;
}
