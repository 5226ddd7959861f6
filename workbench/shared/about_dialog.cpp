// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/shared/about_dialog.h"

#include "workbench/shared/simulator_path.h"
#include "workbench/shared/version.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

namespace {

QString appDir() {
    return QCoreApplication::applicationDirPath();
}

// A path as a shell takes it.
QString quoted(const QString &path) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+-]+$"));
    if (plain.match(path).hasMatch())
        return path;
    return '\'' + QString(path).replace('\'', QStringLiteral("'\\''")) + '\'';
}

// The command by its name where the search path finds this very file, else by its path: from
// the build tree the commands work as well as installed.
QString commandFor(const QString &name, const QString &file) {
    const QString found = QStandardPaths::findExecutable(name);
    if (!found.isEmpty() &&
        QFileInfo(found).canonicalFilePath() == QFileInfo(file).canonicalFilePath())
        return name;
    return quoted(file);
}

QString simulatorCommand() {
    const QString path = SimulatorPath();
    const QString name = QStringLiteral("rmox-sensor-sim");
    return path == name ? name : commandFor(name, path);
}

QString aboutText() {
    const QString sim = simulatorCommand().toHtmlEscaped();
    const QString tool =
        commandFor(QStringLiteral("rmox-sensor-tool"), QCoreApplication::applicationFilePath())
            .toHtmlEscaped();
    const QString readme = ReadmePath();
    const QString link =
        readme.isEmpty() ? QString()
                         : QStringLiteral("<p><a href=\"%1\">README</a>: connecting a real "
                                          "sensor, the workbench, the command-line options.</p>")
                               .arg(QUrl::fromLocalFile(readme).toString());
    return QStringLiteral(
               "<h3>%1</h3>"
               "<p>Service and monitoring tool for R-MOX-QF CCD line sensors.</p>"
               "<p>Licensed under the GNU General Public License, version 3 or (at your "
               "option) any later version. It comes with no warranty.</p>"
               "<p><b>Without a sensor:</b> start the simulated sensor, then point a port at "
               "it:<br><code>%2 --link /tmp/sensor &amp;<br>"
               "%3 --port 1=/tmp/sensor</code><br>"
               "<code>%2 --help</code> lists its fault modes.</p>%4")
        .arg(VersionLine().toHtmlEscaped(), sim, tool, link);
}

} // namespace

QString ReadmePath() {
    for (const QString &candidate :
         {appDir() + QStringLiteral("/../../share/doc/rmox-sensor-tool/README.md"),
          appDir() + QStringLiteral("/README.md")})
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).canonicalFilePath();
    return QString();
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
