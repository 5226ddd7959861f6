// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/commlog/session_window.h"

#include "workbench/commlog/comm_log.h"
#include "workbench/commlog/comm_log_window.h"
#include "workbench/commlog/session_reader.h"
#include "workbench/shared/save_dialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <limits>

namespace {

// A session file is read whole into memory; beyond this it is refused rather than risk the
// memory of the machine. Ten minutes of unpaced Run write about 150 MiB.
constexpr qint64 kLargestFile = 1LL << 30;
// What the window holds of a file: the rows of any span, up to this much memory.
constexpr RingBounds kSessionBounds{std::numeric_limits<qint64>::max(), 1LL << 30};

} // namespace

QWidget *OpenSessionWindow(const QString &path, QWidget *parent) {
    const QString title = QStringLiteral("Open session");
    const QFileInfo info(path);
    // Only a regular file has a size; anything else is refused as no file.
    if (info.isFile() && info.size() > kLargestFile) {
        ShowProblem(
            parent, title,
            QStringLiteral("%1 is larger than 1 GiB; the tool does not open it.").arg(path));
        return nullptr;
    }
    QFile file(path);
    if (!OpenPickedFile(file, parent, title))
        return nullptr;
    const QByteArray content = file.readAll();
    SessionFile session = ReadSession(content);
    if (session.refused) {
        // The other file the workbench writes as it runs.
        const QString recording =
            content.startsWith("time,word0,")
                ? QStringLiteral(" It is a recording of live frames: File → Open recording… "
                                 "shows it.")
                : QString();
        ShowProblem(
            parent, title,
            QStringLiteral("%1 cannot be opened. %2%3").arg(path, session.problem, recording));
        return nullptr;
    }
    auto *log = new CommLog(session.started, kSessionBounds);
    for (CommRow &row : session.rows)
        log->restore(std::move(row));
    auto *window = new CommLogWindow(*log, parent);
    log->setParent(window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Named apart from the live log, so that the workbench does not remember it as that one.
    window->setObjectName(QStringLiteral("Communication log session"));
    window->setWindowTitle(QStringLiteral("Communication log: %1").arg(info.fileName()));
    QStringList about;
    about << QStringLiteral("%1, started %2")
                 .arg(QDir::toNativeSeparators(info.absoluteFilePath()),
                      session.started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    if (!session.tool.isEmpty())
        about << QStringLiteral("written by %1; port %2; adapter: %3")
                     .arg(session.tool, session.port, session.adapter);
    if (session.format == 1)
        about << QStringLiteral("a text log of version 1.1: the bytes, marks and texts it "
                                "carries, times to 0.1 ms");
    about << session.remarks;
    if (log->ring().firstSeq() > 0)
        about << QStringLiteral("the first %1 rows are left out: the window holds 1 GiB of rows")
                     .arg(log->ring().firstSeq());
    if (!session.problem.isEmpty()) {
        about << session.problem;
        ShowProblem(window, title, QStringLiteral("%1: %2").arg(path, session.problem));
    }
    window->setFileText(about.join(QLatin1Char('\n')));
    window->show();
    return window;
}
