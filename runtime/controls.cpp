// SPDX-License-Identifier: GPL-3.0-or-later
// Control values and attributes. Values are written under RtCodeWrite, so they raise no
// events; each kind of control maps the numeric value its own way (a ring by item position
// plus its `valueOffset`, a switch or radio button by checked state).
#include "events.h"
#include "registry.h"
#include "widgets/numeric.h"
#include "widgets/slide.h"
#include "widgets/timer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <cmath>
#include <cstring>

namespace {

constexpr int kErrNotAControl = -10;
constexpr int kErrWrongType = -11;

QWidget *widgetOf(int panel, int control) {
    ControlRecord *c = rtControl(panel, control);
    return c ? c->widget.data() : nullptr;
}

int ringOffset(const QComboBox *c) {
    return c->property("valueOffset").toInt();
}

int setNumber(QWidget *w, double v) {
    RtCodeWrite guard;
    if (auto *n = qobject_cast<RtNumeric *>(w)) {
        n->setValue(v);
    } else if (auto *s = qobject_cast<RtSlide *>(w)) {
        s->setValue(static_cast<int>(std::lround(v)));
    } else if (auto *c = qobject_cast<QComboBox *>(w)) {
        int index = static_cast<int>(std::lround(v)) - ringOffset(c);
        if (index < 0 || index >= c->count())
            return kErrWrongType;
        c->setCurrentIndex(index);
    } else if (auto *b = qobject_cast<QAbstractButton *>(w); b && b->isCheckable()) {
        b->setChecked(v != 0);
    } else if (auto *e = qobject_cast<QLineEdit *>(w)) {
        // Live indicators get the same number on most frames: setting it again would lay the
        // text out anew and drop a selection someone is copying from.
        if (const QString text = QString::number(v); e->text() != text)
            e->setText(text);
    } else if (auto *l = qobject_cast<QLabel *>(w)) {
        l->setText(QString::number(v));
    } else {
        return kErrWrongType;
    }
    return 0;
}

int getNumber(QWidget *w, double *v) {
    if (auto *n = qobject_cast<RtNumeric *>(w))
        *v = n->value();
    else if (auto *s = qobject_cast<RtSlide *>(w))
        *v = s->value();
    else if (auto *c = qobject_cast<QComboBox *>(w))
        *v = c->currentIndex() + ringOffset(c);
    else if (auto *b = qobject_cast<QAbstractButton *>(w); b && b->isCheckable())
        *v = b->isChecked() ? 1 : 0;
    else if (auto *e = qobject_cast<QLineEdit *>(w))
        *v = e->text().toDouble();
    else
        return kErrWrongType;
    return 0;
}

int setNumberOn(int panel, int control, double v) {
    QWidget *w = widgetOf(panel, control);
    return w ? setNumber(w, v) : kErrNotAControl;
}

int getNumberOf(int panel, int control, double *v) {
    QWidget *w = widgetOf(panel, control);
    return w ? getNumber(w, v) : kErrNotAControl;
}

QString colorStyle(const char *property, int rgb) {
    return QString("%1: #%2;").arg(property).arg(rgb & 0xFFFFFF, 6, 16, QChar('0'));
}

int setTextAttribute(QWidget *w, int attribute, int value) {
    QString style = w->property("_rtStyle").toString();
    switch (attribute) {
    case ATTR_TEXT_COLOR:
        style += colorStyle("color", value);
        break;
    case ATTR_TEXT_BGCOLOR:
        style += colorStyle("background-color", value);
        break;
    case ATTR_TEXT_POINT_SIZE: {
        QFont f = w->font();
        f.setPointSize(value);
        w->setFont(f);
        w->adjustSize();
        return 0;
    }
    default:
        return kErrWrongType;
    }
    w->setProperty("_rtStyle", style);
    w->setStyleSheet(style);
    return 0;
}

// Positions count from the panel's content area, below a menu bar the panel may carry.
int contentTop(const QWidget &panel) {
    const QLayout *layout = panel.layout();
    const QWidget *bar = layout ? layout->menuBar() : nullptr;
    return bar ? bar->sizeHint().height() : 0;
}

} // namespace

int SetCtrlVal(int panel, int control, unsigned short value) {
    return setNumberOn(panel, control, value);
}
int SetCtrlVal(int panel, int control, int value) {
    return setNumberOn(panel, control, value);
}
int SetCtrlVal(int panel, int control, float value) {
    return setNumberOn(panel, control, value);
}
int SetCtrlVal(int panel, int control, double value) {
    return setNumberOn(panel, control, value);
}

int SetCtrlVal(int panel, int control, const char *value) {
    QWidget *w = widgetOf(panel, control);
    if (!w)
        return kErrNotAControl;
    RtCodeWrite guard;
    QString text = QString::fromUtf8(value);
    if (auto *e = qobject_cast<QLineEdit *>(w)) {
        e->setText(text);
    } else if (auto *l = qobject_cast<QLabel *>(w)) {
        l->setText(text);
        l->adjustSize();
    } else {
        return kErrWrongType;
    }
    return 0;
}

int GetCtrlVal(int panel, int control, unsigned short *value) {
    double v = 0;
    int err = getNumberOf(panel, control, &v);
    if (!err)
        *value = static_cast<unsigned short>(static_cast<long long>(std::llround(v)) & 0xFFFF);
    return err;
}

int GetCtrlVal(int panel, int control, int *value) {
    double v = 0;
    int err = getNumberOf(panel, control, &v);
    if (!err)
        *value = static_cast<int>(std::llround(v));
    return err;
}

int GetCtrlVal(int panel, int control, float *value) {
    double v = 0;
    int err = getNumberOf(panel, control, &v);
    if (!err)
        *value = static_cast<float>(v);
    return err;
}

int GetCtrlVal(int panel, int control, double *value) {
    return getNumberOf(panel, control, value);
}

int GetCtrlVal(int panel, int control, char *value, std::size_t size) {
    QWidget *w = widgetOf(panel, control);
    if (!w || size == 0)
        return kErrNotAControl;
    QString text;
    if (auto *e = qobject_cast<QLineEdit *>(w))
        text = e->text();
    else if (auto *l = qobject_cast<QLabel *>(w))
        text = l->text();
    else
        return kErrWrongType;
    QByteArray bytes = text.toUtf8();
    std::size_t n = std::min<std::size_t>(bytes.size(), size - 1);
    std::memcpy(value, bytes.constData(), n);
    value[n] = '\0';
    return 0;
}

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
    QWidget *w = widgetOf(panel, control);
    if (!w)
        return kErrNotAControl;
    switch (attribute) {
    case ATTR_DIMMED:
        w->setEnabled(value == 0);
        return 0;
    case ATTR_VISIBLE:
        w->setVisible(value != 0);
        return 0;
    case ATTR_ENABLED:
        if (auto *t = qobject_cast<RtTimer *>(w)) {
            t->setTicking(value != 0);
            return 0;
        }
        return kErrWrongType;
    default:
        return setTextAttribute(w, attribute, value);
    }
}

int SetCtrlAttribute(int panel, int control, int attribute, const char *value) {
    QWidget *w = widgetOf(panel, control);
    if (!w)
        return kErrNotAControl;
    if (attribute != ATTR_TEXT_FONT)
        return kErrWrongType;
    // The application font stands for the run-time's meta font names.
    QFont f = QApplication::font();
    if (std::strcmp(value, VAL_APP_META_FONT) != 0)
        f.setFamily(QString::fromUtf8(value));
    f.setPointSize(w->font().pointSize());
    w->setFont(f);
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attribute, int *value) {
    QWidget *w = widgetOf(panel, control);
    if (!w)
        return kErrNotAControl;
    switch (attribute) {
    case ATTR_DIMMED:
        *value = w->isEnabled() ? 0 : 1;
        return 0;
    case ATTR_VISIBLE:
        *value = w->isVisibleTo(w->window()) ? 1 : 0;
        return 0;
    case ATTR_ENABLED:
        if (auto *t = qobject_cast<RtTimer *>(w)) {
            *value = t->ticking() ? 1 : 0;
            return 0;
        }
        return kErrWrongType;
    default:
        return kErrWrongType;
    }
}

int NewCtrl(int panel, int style, const char *label, int top, int left) {
    PanelRecord *p = rtPanel(panel);
    if (!p)
        return UIEBadHandle;
    if (style != CTRL_TEXT_MSG)
        return kErrWrongType;
    auto *text = new QLabel(QString::fromUtf8(label), p->widget);
    text->move(left, top + contentTop(*p->widget));
    text->show();
    int number = p->controls.empty() ? 1 : p->controls.rbegin()->first + 1;
    ControlRecord record;
    record.widget = text;
    p->controls[number] = record;
    rtTagControl(text, panel, number);
    return number;
}
