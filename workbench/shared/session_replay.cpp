// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/shared/session_replay.h"

#include "workbench/shared/shades.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>

// Made on first use and kept for the whole process: windows and features that go at the end
// in any order may still reach it, and no QObject outlives the application at exit.
SessionReplay &SessionReplay::instance() {
    static SessionReplay *const replay = new SessionReplay;
    return *replay;
}

void SessionReplay::begin(const QString &file, const QString &device) {
    file_ = file;
    emit changed(file_);
    emit deviceOffered(device);
}

void SessionReplay::end() {
    if (file_.isEmpty())
        return;
    file_.clear();
    emit changed(file_);
}

ReplayBanner::ReplayBanner(QWidget *parent) : QLabel(parent) {
    setObjectName(QStringLiteral("Replay banner"));
    setAccessibleName(QStringLiteral("Replay banner"));
    setAutoFillBackground(true);
    // Set, not inherited: on the menu bar a child takes the bar's own role, which is not shaded.
    setBackgroundRole(QPalette::Window);
    setMargin(4);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    paint();
    connect(&SessionReplay::instance(), &SessionReplay::changed, this, &ReplayBanner::follow);
    follow(SessionReplay::instance().file());
}

void ReplayBanner::follow(const QString &file) {
    setText(QStringLiteral("Replay of %1: the answers come from a recorded session, not from a "
                           "live sensor")
                .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath())));
    setToolTip(text());
    setVisible(!file.isEmpty());
}

void ReplayBanner::changeEvent(QEvent *event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !painting_)
        paint();
}

// Tinted from the window's own palette, as marked rows are, so it reads light and dark.
void ReplayBanner::paint() {
    QPalette shaded = parentWidget() ? parentWidget()->palette() : palette();
    shaded.setColor(QPalette::Window, ShadeOf(shaded, Shade::Notice));
    shaded.setColor(QPalette::WindowText, shaded.color(QPalette::Text));
    painting_ = true;
    setPalette(shaded);
    painting_ = false;
}
