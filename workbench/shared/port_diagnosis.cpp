// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/shared/port_diagnosis.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The kernel keeps the first 15 bytes of a program's name; its command line has the name whole.
QString processName(const QString &proc, qint64 pid) {
    QFile comm(QStringLiteral("%1/%2/comm").arg(proc).arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return QString();
    const QString name = QString::fromLocal8Bit(comm.readAll()).trimmed();
    QFile cmdline(QStringLiteral("%1/%2/cmdline").arg(proc).arg(pid));
    if (!cmdline.open(QIODevice::ReadOnly))
        return name;
    const QByteArray first = cmdline.read(4096).split('\0').constFirst();
    const QString whole = QFileInfo(QString::fromLocal8Bit(first)).fileName();
    return whole.startsWith(name) ? whole : name;
}

bool sameNode(const struct stat &a, const struct stat &b) {
    if (S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode))
        return a.st_rdev == b.st_rdev;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The first number in a lock file: ASCII, as "      1234\n" or Qt's "1234\nname\nhost\n".
qint64 lockPid(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readLine(64).trimmed().toLongLong();
}

// A lock of a process that still runs; /proc of another user's process is visible too.
bool alive(const QString &proc, qint64 pid) {
    return pid > 0 && QFileInfo::exists(QStringLiteral("%1/%2").arg(proc).arg(pid));
}

QString userName(uid_t uid) {
    const passwd *pw = getpwuid(uid);
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(uid);
}

QString groupName(gid_t gid) {
    const group *gr = getgrgid(gid);
    return gr ? QString::fromLocal8Bit(gr->gr_name) : QString::number(gid);
}

bool sessionHasGroup(gid_t gid) {
    std::vector<gid_t> groups(std::size_t(std::max(getgroups(0, nullptr), 0)));
    groups.resize(std::size_t(std::max(getgroups(int(groups.size()), groups.data()), 0)));
    return getegid() == gid || std::find(groups.begin(), groups.end(), gid) != groups.end();
}

// Whether the user database (not this session) puts the user into `gid`.
bool databaseHasGroup(gid_t gid) {
    const passwd *pw = getpwuid(geteuid());
    if (!pw)
        return false;
    int count = 0;
    getgrouplist(pw->pw_name, pw->pw_gid, nullptr, &count);
    std::vector<gid_t> groups(std::size_t(std::max(count, 0)));
    if (getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &count) < 0)
        return false;
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

// How to stop a process that grabs serial adapters.
QString stopCommand(const Holder &h) {
    if (h.name == QLatin1String("ModemManager"))
        return QStringLiteral("sudo systemctl stop ModemManager (for good: sudo systemctl "
                              "disable --now ModemManager)");
    if (h.name.startsWith(QLatin1String("brltty")))
        return QStringLiteral("sudo systemctl stop brltty-udev.service brltty.service (for good: "
                              "sudo apt-get remove brltty), then plug the adapter in again");
    return QStringLiteral("close %1, or end it: kill %2").arg(h.name).arg(h.pid);
}

// Every holder is named; only those in the way are proposed for stopping, never the program
// behind the device.
PortDiagnosis busy(const QString &device, const QList<Holder> &holders) {
    QStringList named, stops;
    for (const Holder &h : holders) {
        named << QStringLiteral("%1 (pid %2%3)")
                     .arg(h.name)
                     .arg(h.pid)
                     .arg(h.behind ? QStringLiteral(", the program behind the device") : QString());
        if (!h.behind)
            stops << stopCommand(h);
    }
    return {PortDiagnosis::Busy,
            QStringLiteral("%1 is busy: held open by %2").arg(device, named.join(", ")),
            stops.join(QStringLiteral("; "))};
}

// The index of a pseudo-terminal's slave (/dev/pts/N), or -1 for any other device.
int ptyIndexOf(const QString &device) {
    const QString node = QFileInfo(device).canonicalFilePath();
    if (!node.startsWith(QLatin1String("/dev/pts/")))
        return -1;
    bool numeric = false;
    const int index = node.mid(9).toInt(&numeric);
    return numeric ? index : -1;
}

// Whether descriptor `fd` of a process is the master of pseudo-terminal `index`.
bool holdsMaster(const QString &processDir, const QString &fd, int index) {
    if (!QFileInfo(processDir + QStringLiteral("/fd/") + fd).symLinkTarget().endsWith("/ptmx"))
        return false;
    QFile info(processDir + QStringLiteral("/fdinfo/") + fd);
    if (!info.open(QIODevice::ReadOnly))
        return false;
    for (QByteArray line = info.readLine(); !line.isEmpty(); line = info.readLine())
        if (line.startsWith("tty-index:"))
            return line.mid(10).trimmed().toInt() == index;
    return false;
}

PortDiagnosis permission(const QString &device, const struct stat &node) {
    const QString group = groupName(node.st_gid);
    const QString user = userName(geteuid());
    const QString finding = QStringLiteral("permission denied: %1 belongs to %2:%3 (mode %4)")
                                .arg(device, userName(node.st_uid), group)
                                .arg(node.st_mode & 07777, 4, 8, QChar('0'));
    if (!(node.st_mode & S_IRWXG) || node.st_gid == 0)
        return {PortDiagnosis::Permission, finding,
                QStringLiteral("give the group access, e.g. sudo chgrp dialout %1 && sudo chmod "
                               "g+rw %1, then: sudo usermod -aG dialout %2")
                    .arg(device, user)};
    if (databaseHasGroup(node.st_gid) && !sessionHasGroup(node.st_gid))
        return {
            PortDiagnosis::Permission,
            finding + QStringLiteral("; %1 is in %2, but this session is not yet").arg(user, group),
            QStringLiteral("log out and in again (or start the tool from: newgrp %1)").arg(group)};
    return {PortDiagnosis::Permission,
            finding + QStringLiteral("; %1 is not in group %2").arg(user, group),
            QStringLiteral("sudo usermod -aG %1 %2, then log out and in again").arg(group, user)};
}

} // namespace

QList<Holder> HoldersOf(const QString &device, const QString &proc) {
    QList<Holder> holders;
    struct stat target {};
    if (stat(QFile::encodeName(device).constData(), &target) != 0)
        return holders;
    const int ptyIndex = ptyIndexOf(device);
    const qint64 self = getpid();
    for (const QString &entry : QDir(proc).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid == self)
            continue;
        const QString dir = proc + '/' + entry;
        bool holds = false, behind = false;
        for (const QString &fd :
             QDir(dir + QStringLiteral("/fd")).entryList(QDir::System | QDir::NoDotAndDotDot)) {
            struct stat open {};
            if (stat(QFile::encodeName(dir + QStringLiteral("/fd/") + fd).constData(), &open) ==
                    0 &&
                sameNode(open, target))
                holds = true;
            else if (ptyIndex >= 0 && holdsMaster(dir, fd, ptyIndex))
                behind = true;
        }
        if (holds)
            holders << Holder{pid, processName(proc, pid), behind};
    }
    return holders;
}

QStringList LockFilesOf(const QString &device, const QStringList &lockFolders) {
    // The name below /dev, or the whole path, with '/' as '_'; of the path given and the node.
    QStringList names;
    for (const QString &path : {device, QFileInfo(device).canonicalFilePath()}) {
        if (path.isEmpty())
            continue;
        QString name = path.startsWith(QLatin1String("/dev/")) ? path.mid(5) : path;
        names << QStringLiteral("LCK..") + name.replace('/', '_');
    }
    names.removeDuplicates();
    QStringList found;
    for (const QString &folder : lockFolders)
        for (const QString &name : names)
            if (const QFileInfo lock(folder + '/' + name); lock.exists())
                found << lock.canonicalFilePath();
    found.removeDuplicates();
    return found;
}

std::optional<PortDiagnosis> DiagnoseInTheWay(const QString &device, const SystemFolders &folders,
                                              QStringList *leftBehind) {
    // The live owner of a lock is in the way, whatever else holds the device; the program
    // behind a pseudo-terminal holds its slave too, without being in the way.
    QList<Holder> holders = HoldersOf(device, folders.proc);
    for (const QString &lock : LockFilesOf(device, folders.locks)) {
        const qint64 pid = lockPid(lock);
        if (!alive(folders.proc, pid)) {
            if (leftBehind)
                *leftBehind << lock;
            continue;
        }
        const auto it = std::find_if(holders.begin(), holders.end(),
                                     [pid](const Holder &h) { return h.pid == pid; });
        if (it == holders.end()) {
            const Holder owner{pid, processName(folders.proc, pid)};
            return PortDiagnosis{PortDiagnosis::Busy,
                                 QStringLiteral("%1 is busy: locked by %2 (pid %3) with %4")
                                     .arg(device, owner.name)
                                     .arg(pid)
                                     .arg(lock),
                                 stopCommand(owner)};
        }
        it->behind = false; // its lock is in the way, whatever else it holds
        return busy(device, holders);
    }
    if (std::any_of(holders.begin(), holders.end(), [](const Holder &h) { return !h.behind; }))
        return busy(device, holders);
    return std::nullopt;
}

PortDiagnosis DiagnoseOpenFailure(const QString &device, int systemError, const QString &errorText,
                                  const SystemFolders &folders) {
    struct stat node {};
    if (device.isEmpty() || stat(QFile::encodeName(device).constData(), &node) != 0)
        return {PortDiagnosis::Missing,
                QStringLiteral("%1 does not exist").arg(device.isEmpty() ? "the port" : device),
                QStringLiteral("plug the adapter in (the ring follows it), or pick another port")};
    QStringList leftBehind;
    if (const auto inTheWay = DiagnoseInTheWay(device, folders, &leftBehind))
        return *inTheWay;
    if (systemError == EACCES || systemError == EPERM ||
        access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0)
        return permission(device, node);
    if (!leftBehind.isEmpty())
        return {PortDiagnosis::LockLeftBehind,
                QStringLiteral("a lock file was left behind by a program that no longer runs: %1")
                    .arg(leftBehind.first()),
                QStringLiteral("remove it: sudo rm %1").arg(leftBehind.first())};
    if (systemError == EBUSY)
        return {
            PortDiagnosis::Busy,
            QStringLiteral("%1 is busy: held open by a process this user cannot see").arg(device),
            QStringLiteral("find it: sudo fuser -v %1").arg(device)};
    return {
        PortDiagnosis::Other,
        QStringLiteral("%1: %2").arg(device, errorText.isEmpty() ? "cannot be opened" : errorText),
        QStringLiteral("check the device and its cable; pick the port again")};
}
