// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/captures/captures_feature.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"
#include "runtime/safe_file.h"
#include "workbench/adapters/core_events.h"
#include "workbench/shared/menu_bar.h"
#include "workbench/shared/menu_items.h"
#include "workbench/shared/save_dialog.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QWidget>

namespace {

QWidget *graph(int control) {
    return rtControlWidget(ToolMainPanel(), control);
}

QPixmap pictureOf(int control) {
    return graph(control)->grab();
}

bool writeFile(const QString &path, const QByteArray &bytes, QString *error) {
    QString why;
    if (WriteWholeFile(path, bytes, &why))
        return true;
    *error = QStringLiteral("Cannot write %1: %2").arg(path, why);
    return false;
}

bool writePng(const QString &path, const QPixmap &picture, QString *error) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG")) {
        *error = QStringLiteral("Cannot write %1: the picture could not be made").arg(path);
        return false;
    }
    return writeFile(path, png, error);
}

void copyPicture(int control) {
    QGuiApplication::clipboard()->setPixmap(pictureOf(control));
}

} // namespace

CapturesFeature::CapturesFeature(CoreEvents &core, MenuBar &menus) {
    saveVideo_ = AddMenuItem(menus.file(), QStringLiteral("Save &video signal…"),
                             QStringLiteral("Save video signal"));
    saveVideo_->setEnabled(false);
    connect(saveVideo_, &QAction::triggered, this, &CapturesFeature::askVideoSignalPath);
    connect(AddMenuItem(menus.file(), QStringLiteral("Save &main graph…"),
                        QStringLiteral("Save main graph")),
            &QAction::triggered, this, &CapturesFeature::askMainGraphPath);
    connect(AddMenuItem(menus.file(), QStringLiteral("Cop&y video graph"),
                        QStringLiteral("Copy video graph")),
            &QAction::triggered, this, [] { copyPicture(ToolControl(ToolPlace::VideoGraph)); });
    connect(AddMenuItem(menus.file(), QStringLiteral("Copy main &graph"),
                        QStringLiteral("Copy main graph")),
            &QAction::triggered, this, [] { copyPicture(ToolControl(ToolPlace::MainGraph)); });
    connect(&core, &CoreEvents::videoSignal, this, [this](const VideoSnapshot &signal) {
        last_ = signal;
        saveVideo_->setEnabled(true);
    });
}

QString CapturesFeature::pngBeside(const QString &csvPath) {
    const QFileInfo info(csvPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".png"));
}

bool CapturesFeature::writeVideoSignal(const QString &csvPath, const VideoSnapshot &snapshot,
                                       const QPixmap &picture, QString *error) {
    return writeFile(csvPath, CsvOf(snapshot), error) &&
           writePng(pngBeside(csvPath), picture, error);
}

bool CapturesFeature::saveVideoSignal(const QString &csvPath, QString *error) const {
    if (!last_) {
        *error = QStringLiteral("No video signal has been read yet.");
        return false;
    }
    return writeVideoSignal(csvPath, *last_, pictureOf(ToolControl(ToolPlace::VideoGraph)), error);
}

bool CapturesFeature::saveMainGraph(const QString &pngPath, QString *error) const {
    return writePng(pngPath, pictureOf(ToolControl(ToolPlace::MainGraph)), error);
}

// What is saved is taken when the item is chosen; Data may draw further signals while the
// dialog is open.
void CapturesFeature::askVideoSignalPath() {
    if (!last_)
        return;
    const VideoSnapshot snapshot = *last_;
    const QPixmap picture = pictureOf(ToolControl(ToolPlace::VideoGraph));
    QWidget *main = rtPanelWidget(ToolMainPanel());
    AskSavePath(main, QStringLiteral("Save video signal"),
                TimedFileName(QStringLiteral("video-signal"), snapshot.at, QStringLiteral("csv")),
                QStringLiteral("CSV files (*.csv)"), [=](const QString &path) {
                    QString error;
                    if (!writeVideoSignal(path, snapshot, picture, &error))
                        ShowProblem(main, QStringLiteral("Save video signal"), error);
                });
}

void CapturesFeature::askMainGraphPath() {
    const QPixmap picture = pictureOf(ToolControl(ToolPlace::MainGraph));
    QWidget *main = rtPanelWidget(ToolMainPanel());
    AskSavePath(main, QStringLiteral("Save main graph"),
                TimedFileName(QStringLiteral("main-graph"), QDateTime::currentDateTime(),
                              QStringLiteral("png")),
                QStringLiteral("PNG images (*.png)"), [=](const QString &path) {
                    QString error;
                    if (!writePng(path, picture, &error))
                        ShowProblem(main, QStringLiteral("Save main graph"), error);
                });
}
