// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/about_dialog.h"

#include "workbench/version.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace {

QString aboutText() {
    return QStringLiteral(
               "<h3>%1</h3>"
               "<p>Service and monitoring tool for R-MOX-QF CCD line sensors.</p>"
               "<p>Licensed under the GNU General Public License, version 3 or (at your "
               "option) any later version. It comes with no warranty.</p>"
               "<p><b>Without a sensor:</b> start the simulated sensor, then point a port at "
               "it:<br><code>rmox-sensor-sim --link /tmp/sensor &amp;<br>"
               "rmox-sensor-tool --port 1=/tmp/sensor</code><br>"
               "<code>rmox-sensor-sim --help</code> lists its fault modes.</p>"
               "<p><a href=\"%2\">README</a>: connecting a real sensor, the workbench, the "
               "command-line options.</p>")
        .arg(VersionLine().toHtmlEscaped(), QUrl::fromLocalFile(ReadmePath()).toString());
}

} // namespace

QString ReadmePath() {
    const QString installed = QCoreApplication::applicationDirPath() +
                              QStringLiteral("/../../share/doc/rmox-sensor-tool/README.md");
    if (QFileInfo::exists(installed))
        return QFileInfo(installed).canonicalFilePath();
    return QStringLiteral(RMOX_SOURCE_DIR "/README.md");
}

void ShowAboutDialog(QWidget *parent) {
    // Not modal: a nested event loop would hold up an operation that is running.
    auto *box = new QMessageBox(parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setWindowTitle(QStringLiteral("About R-MOX-QF Sensor Tool"));
    box->setAccessibleName(QStringLiteral("About"));
    box->setTextFormat(Qt::RichText);
    box->setTextInteractionFlags(Qt::TextBrowserInteraction);
    box->setText(aboutText());
    box->show();
}
