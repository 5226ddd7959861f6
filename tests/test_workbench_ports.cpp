// SPDX-License-Identifier: GPL-3.0-or-later
// The port finder: the ring's texts, a device given by hand, adapters that come and go, the
// port in use opened again when its sensor comes back, and why an open failed.
#include "link/COM232.h"
#include "ops/port_setup.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "runtime/serial_device.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/frames.h"
#include "support/pluggable_sim.h"
#include "support/pty_pair.h"
#include "support/sim_process.h"
#include "support/tool_fixture.h"
#include "support/tool_process.h"
#include "workbench/adapters/comm_decode.h"
#include "workbench/adapters/core_events.h"
#include "workbench/adapters/serial_events.h"
#include "workbench/finder/device_search.h"
#include "workbench/finder/finder_feature.h"
#include "workbench/finder/finder_model.h"
#include "workbench/finder/sensor_probe.h"
#include "workbench/ports/port_diagnostics_view.h"
#include "workbench/ports/port_ring.h"
#include "workbench/ports/port_table.h"
#include "workbench/ports/ports_feature.h"
#include "workbench/program/find_command.h"
#include "workbench/shared/line_diagnosis.h"
#include "workbench/shared/menu_bar.h"
#include "workbench/shared/port_diagnosis.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Adapters appear within a second of the watch's look; the sanitizer build is slower.
constexpr int kHotPlugMs = 2000;
constexpr int kMarginMs = 3000;

QComboBox *ring() {
    return qobject_cast<QComboBox *>(rtControlWidget(panelHandle, MAIN_PORT));
}

QString item(int port) {
    return ring()->itemText(port - 1);
}

QString statusTip() {
    return rtControlWidget(panelHandle, MAIN_STATUS)->toolTip();
}

// Answers the "Other device" dialog with `path` once it is up.
void answerOtherDevice(const QString &path) {
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, path] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->accessibleName() != "Other device")
            return;
        dialog->findChild<QLineEdit *>("devicePath")->setText(path);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Open)->click();
        poll->deleteLater();
    });
    poll->start(20);
}

// A process in a made-up /proc tree: its name and descriptors, each a link to `target`.
void fakeProcess(const QString &proc, int pid, const QString &name,
                 const QList<QPair<int, QString>> &fds, const QByteArray &fdinfo = {}) {
    const QString dir = QString("%1/%2").arg(proc).arg(pid);
    QVERIFY(QDir().mkpath(dir + "/fd") && QDir().mkpath(dir + "/fdinfo"));
    // As the kernel keeps it: 15 bytes of the name, the whole one on the command line.
    QFile comm(dir + "/comm");
    QVERIFY(comm.open(QIODevice::WriteOnly) && comm.write(name.toUtf8().left(15) + '\n') > 0);
    QFile cmdline(dir + "/cmdline");
    QVERIFY(cmdline.open(QIODevice::WriteOnly) &&
            cmdline.write("/usr/bin/" + name.toUtf8() + '\0' + "--port" + '\0') > 0);
    for (const auto &[fd, target] : fds) {
        QVERIFY(QFile::link(target, QString("%1/fd/%2").arg(dir).arg(fd)));
        QFile info(QString("%1/fdinfo/%2").arg(dir).arg(fd));
        QVERIFY(info.open(QIODevice::WriteOnly));
        info.write("pos:\t0\nflags:\t02\n" + fdinfo);
    }
}

} // namespace

class WorkbenchPortsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<MenuBar> menus;
    std::unique_ptr<CoreEvents> core;
    std::unique_ptr<SerialEvents> serial;
    std::unique_ptr<PortsFeature> finder;
    std::unique_ptr<FinderFeature> search;
    QStringList shown; // every text the status line showed, in order

    QString link() const { return dir.filePath("ttyRMOX"); }
    QString overrideLink() const { return dir.filePath("ttyOverride"); }
    QString farLink() const { return dir.filePath("ttyFar"); }

  private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        // Overrides are read as the tool starts, before the finder watches their paths.
        qputenv("RMOX_COM1", link().toLocal8Bit());
        qputenv("RMOX_COM3", overrideLink().toLocal8Bit());
        rtGiveComDevice(12, farLink()); // as --port 12=... gives it
        QVERIFY(StartToolPanels());
        menus = std::make_unique<MenuBar>();
        core = std::make_unique<CoreEvents>();
        serial = std::make_unique<SerialEvents>();
        finder = std::make_unique<PortsFeature>(*core, *serial, *menus);
        search = std::make_unique<FinderFeature>(*core, *serial, *menus, [this] {
            return RingTargets(finder->ring().table(), finder->ring().scan());
        });
        auto *status = qobject_cast<QLineEdit *>(rtControlWidget(panelHandle, MAIN_STATUS));
        connect(status, &QLineEdit::textChanged, this, [this](const QString &t) { shown << t; });
    }
    void cleanupTestCase() {
        CloseCom(com);
        search.reset();
        finder.reset();
        StopToolPanels();
    }
    void init() { shown.clear(); }

    // Texts from a made-up device list: what is behind each port, absent devices, overrides
    // (one beyond the fixed table keeps its number), and numbers for devices beyond the table
    // that stay theirs when the list changes. Changing texts raises no event: nothing opens.
    void ringTextsFromDeviceList() {
        QCOMPARE(item(11), QString("11: no device"));
        QCOMPARE(item(12), "12: " + farLink() + " — not present");
        const int current = ring()->currentIndex();
        const QString before = StatusText();
        const QString byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
        DeviceScan scan;
        scan.devices = {{"/dev/rfcomm0", "", "", "", ""},
                        {"/dev/ttyAMA0", "", "", "", ""},
                        {"/dev/ttyCH343USB0", "USB Single Serial", "WCH", "5434012345", ""},
                        {"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A50285BI", byId}};
        finder->ring().show(scan, 0);
        QCOMPARE(item(5), QString("5: /dev/ttyUSB0 — FT232R USB UART (FTDI, A50285BI)"));
        QVERIFY(ring()->itemData(4, Qt::ToolTipRole).toString().contains(byId));
        QCOMPARE(item(6), QString("6: /dev/ttyUSB1 — not present"));
        QCOMPARE(item(3), "3: " + overrideLink() + " — not present");
        QCOMPARE(ring()->itemData(2, Qt::ToolTipRole).toString(), QString("set by RMOX_COM3"));
        QCOMPARE(ring()->itemData(11, Qt::ToolTipRole).toString(), QString("set by --port"));
        QCOMPARE(item(11), QString("11: /dev/rfcomm0 — serial port"));
        QCOMPARE(item(13), QString("13: /dev/ttyAMA0 — serial port"));
        QCOMPARE(item(14), QString("14: /dev/ttyCH343USB0 — USB Single Serial (WCH, 5434012345)"));
        QCOMPARE(ring()->count(), 15);
        QCOMPARE(ring()->itemText(14), QString(PortRing::kOtherText));
        const auto *model = qobject_cast<QStandardItemModel *>(ring()->model());
        QVERIFY(!(model->item(14)->flags() & Qt::ItemIsEnabled));

        scan.devices.removeAt(1);
        scan.devices << SerialDevice{"/dev/ttyUSB4", "CP2102 USB to UART", "Silicon Labs", "", ""};
        finder->ring().show(scan, 0);
        QCOMPARE(item(13), QString("13: /dev/ttyAMA0 — not present"));
        QCOMPARE(item(15), QString("15: /dev/ttyUSB4 — CP2102 USB to UART (Silicon Labs)"));
        QCOMPARE(ring()->currentIndex(), current);
        PumpEvents(200);
        QCOMPARE(StatusText(), before);
        QVERIFY(shown.isEmpty());
    }

    // A click on "Other device..." asks for a path; the path becomes a numbered item, chosen as
    // a user's choice is, and the tool opens it: set up once for the value change and once for
    // the commit, as when the ring is turned to another port. Given again while the ring shows
    // it (a replay whose simulator got the same pseudo-terminal), it is only committed, as a
    // click on the item the ring shows: set up once.
    void otherDeviceOpened() {
        SimProcess sim({"--no-pacing"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        ring()->showPopup();
        QAbstractItemView *list = ring()->view();
        const QModelIndex other = list->model()->index(ring()->count() - 1, 0);
        answerOtherDevice(sim.devicePath());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(other).center());
        QVERIFY2(
            PumpUntil([] { return StatusText() == "Parameter-frame received! - Line Ok!"; }, 5000),
            qPrintable(shown.join(" | ")));
        const int port = ring()->count() - 1;
        QCOMPARE(com, port);
        QCOMPARE(ring()->currentIndex(), port - 1);
        QCOMPARE(item(port), QString("%1: %2 — pseudo-terminal").arg(port).arg(sim.devicePath()));
        QCOMPARE(ring()->itemText(port), QString(PortRing::kOtherText));
        QCOMPARE(shown.count("Init COM-Port ..."), 2);

        shown.clear();
        ring()->showPopup();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(port - 1, 0)).center());
        QVERIFY(PumpUntil([this] { return shown.contains("Parameter-frame received! - Line Ok!"); },
                          5000));
        PumpEvents(500);
        QCOMPARE(shown.count("Init COM-Port ..."), 1);

        shown.clear();
        finder->ring().choose(sim.devicePath());
        QVERIFY(PumpUntil([this] { return shown.contains("Parameter-frame received! - Line Ok!"); },
                          5000));
        PumpEvents(500);
        QCOMPARE(shown.count("Init COM-Port ..."), 1);
        QCOMPARE(com, port);
        CloseCom(com);
    }

    // The sensor behind port 1 (an override) appears and disappears on the ring; pulled out
    // while in use, its item says so at once, and when it comes back on the same link the tool
    // opens it again with the echo check only: an edit on the panel stays.
    void hotPlugAndReconnect() {
        QVERIFY(PumpUntil([] { return item(1).endsWith("not present"); }, kHotPlugMs + kMarginMs));
        QElapsedTimer clock;
        clock.start();
        auto sensor = std::make_unique<PluggableSim>(link(), QStringList{"--no-pacing"});
        QVERIFY2(sensor->isRunning(), qPrintable(sensor->errorString()));
        QVERIFY2(
            PumpUntil([] { return item(1).contains("pseudo-terminal"); }, kHotPlugMs + kMarginMs),
            qPrintable(item(1)));
        qInfo("plugged in, seen after %lld ms", clock.elapsed());

        com = 1;
        InitRS232(com);
        QCOMPARE(ret, 1);
        SetCtrlVal(panelHandle, MAIN_VIDEOTHRESHOLD, 777);

        QVERIFY(sensor->pullOut());
        clock.start();
        QVERIFY2(PumpUntil([] { return item(1).endsWith("pulled out"); }, 1000),
                 qPrintable(item(1)));
        qInfo("pulled out, seen after %lld ms", clock.elapsed());
        PumpEvents(300); // the watch looks at once after a failure

        shown.clear();
        clock.start();
        sensor = std::make_unique<PluggableSim>(link(), QStringList{"--no-pacing"});
        QVERIFY2(sensor->isRunning(), qPrintable(sensor->errorString()));
        QVERIFY2(
            PumpUntil([] { return statusTip().contains("came back"); }, kHotPlugMs + kMarginMs),
            qPrintable(shown.join(" | ")));
        qInfo("reopened after %lld ms: %s", clock.elapsed(), qPrintable(statusTip()));
        QCOMPARE(shown, QStringList{"Echo Check - Line Ok!"});
        QCOMPARE(com, 1);
        QCOMPARE(ret, 1);
        int threshold = 0;
        GetCtrlVal(panelHandle, MAIN_VIDEOTHRESHOLD, &threshold);
        QCOMPARE(threshold, 777);
        QVERIFY(item(1).contains("pseudo-terminal"));
        QVERIFY(finder->notes().join(' ').contains("opened it again"));

        CloseCom(com);
        sensor.reset();
        QVERIFY2(PumpUntil([] { return item(1).endsWith("not present"); }, kHotPlugMs + kMarginMs),
                 qPrintable(item(1)));
    }

    // The adapter comes back with a sensor that answers only after the user picked its port
    // while the tool's own line check still waited. The pick wins: the check gives way at once
    // and shows nothing, and the pick runs after it, to its own end.
    void portPickDuringReconnectWins() {
        auto sensor = std::make_unique<PluggableSim>(link(), QStringList{"--no-pacing"});
        QVERIFY2(sensor->isRunning(), qPrintable(sensor->errorString()));
        QVERIFY2(
            PumpUntil([] { return item(1).contains("pseudo-terminal"); }, kHotPlugMs + kMarginMs),
            qPrintable(item(1)));
        com = 1;
        InitRS232(com);
        QCOMPARE(ret, 1);
        QVERIFY(sensor->pullOut());
        QVERIFY2(PumpUntil([] { return item(1).endsWith("pulled out"); }, 1000),
                 qPrintable(item(1)));
        PumpEvents(300);

        bool picked = false;
        const auto pick = connect(
            serial.get(), &SerialEvents::happened, this, [&picked](const SerialTapEvent &e) {
                if (picked || e.kind != SerialTapEvent::Written || OrderWordOf(e.bytes) != 7)
                    return;
                picked = true;
                QTimer::singleShot(50, [] {
                    SetCtrlVal(panelHandle, MAIN_PORT, 1);
                    emit ring()->activated(ring()->currentIndex());
                });
            });
        shown.clear();
        sensor = std::make_unique<PluggableSim>(
            link(), QStringList{"--no-pacing", "--reply-delay", "1000"});
        QVERIFY2(sensor->isRunning(), qPrintable(sensor->errorString()));
        const QString done = "Parameter-frame received! - Line Ok!";
        QVERIFY2(PumpUntil([&] { return picked && StatusText() == done; },
                           kHotPlugMs + kMarginMs + 3000),
                 qPrintable(shown.join(" | ")));
        PumpEvents(2000); // longer than the check would have waited
        disconnect(pick);
        const QStringList expected = {"Init COM-Port ...", "Echo Check - Line Ok!",
                                      "Waiting for parameter-frame ...", done};
        QCOMPARE(shown, expected);
        QCOMPARE(ret, 1);

        CloseCom(com);
        sensor.reset();
        QVERIFY2(PumpUntil([] { return item(1).endsWith("not present"); }, kHotPlugMs + kMarginMs),
                 qPrintable(item(1)));
    }

    // What the line did in answer to the echo check, from the bytes alone.
    void lineCheckDiagnosis_data() {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("finding");
        const QByteArray sent = FrameOf(7, {500, 1, 512});
        const QByteArray answer = FrameOf(7, {0xAA, 1, 512});
        QTest::newRow("answered") << answer + "xy" << int(LineDiagnosis::Answered) << "";
        QTest::newRow("silent") << QByteArray() << int(LineDiagnosis::Silent) << "silent";
        QTest::newRow("loop-back") << sent << int(LineDiagnosis::OwnFrame) << "bridged";
        QTest::newRow("half-duplex") << sent + answer << int(LineDiagnosis::OwnFrame) << "bridged";
        QTest::newRow("few bytes") << QByteArray("\x3f\xfe\x01", 3) << int(LineDiagnosis::NoFrame)
                                   << "3 bytes came back, fewer than a frame's 36 (3F FE 01)";
        QTest::newRow("no sync") << QByteArray(40, '\xf0') << int(LineDiagnosis::NoFrame)
                                 << "40 bytes came back, but no frame";
        QTest::newRow("wrong echo") << FrameOf(7, {0x55}) << int(LineDiagnosis::WrongEcho)
                                    << "echo word is 0x0055, not 0x00AA";
    }

    void lineCheckDiagnosis() {
        QFETCH(QByteArray, received);
        QFETCH(int, kind);
        QFETCH(QString, finding);
        const LineDiagnosis d = DiagnoseLineCheck(FrameOf(7, {500, 1, 512}), received);
        QCOMPARE(int(d.kind), kind);
        QVERIFY2(d.finding.contains(finding), qPrintable(d.finding));
        QCOMPARE(d.remedy.isEmpty(), kind == LineDiagnosis::Answered);
    }

    // A sensor that never answers: the check's finding and remedy show where an open
    // failure's do, View -> Port diagnostics included.
    void silentSensorIsDiagnosed() {
        PluggableSim sensor(link(), {"--no-pacing", "--silent"});
        QVERIFY2(sensor.isRunning(), qPrintable(sensor.errorString()));
        QVERIFY2(
            PumpUntil([] { return item(1).contains("pseudo-terminal"); }, kHotPlugMs + kMarginMs),
            qPrintable(item(1)));
        com = 1;
        SetCtrlVal(panelHandle, MAIN_PORT, 1);
        InitRS232(com);
        QCOMPARE(StatusText(), QString("Timeout-RS-232..."));
        QVERIFY2(statusTip().contains("port 1: the sensor is silent: nothing came back"),
                 qPrintable(statusTip()));
        QVERIFY(statusTip().contains("remedy: check that the sensor hangs on this port"));

        menus->view()->findChild<QAction *>("Port diagnostics")->trigger();
        auto *view = rtPanelWidget(panelHandle)->findChild<PortDiagnosticsView *>();
        QVERIFY(view && view->isVisible());
        const QString page = view->findChild<QTextBrowser *>()->toPlainText();
        QVERIFY2(page.contains("the sensor is silent") && !page.contains("without trouble"),
                 qPrintable(page));
        if (qEnvironmentVariableIsSet("RMOX_WRITE_SCREENSHOTS")) {
            const QString png =
                qEnvironmentVariable("RMOX_SOURCE_DIR") + "/docs/port-diagnosis-silent.png";
            QVERIFY2(view->grab().save(png), qPrintable(png));
        }
        view->hide();
        CloseCom(com);
    }

    // Several processes hold a pseudo-terminal: all are named, and only those in the way are
    // proposed for stopping, never the program behind it (which holds its master side).
    void busyRemedySparesTheProgramBehind() {
        PtyPair pty;
        QVERIFY(pty.isOpen());
        const QByteArray index = pty.slavePath().section('/', -1).toLatin1();
        QTemporaryDir proc;
        fakeProcess(proc.path(), 100, "rmox-sensor-sim", {{3, pty.slavePath()}, {4, "/dev/ptmx"}},
                    "tty-index:\t" + index + "\n");
        fakeProcess(proc.path(), 200, "rmox-sensor-tool", {{5, pty.slavePath()}});
        fakeProcess(proc.path(), 300, "ModemManager", {{6, pty.slavePath()}});
        const PortDiagnosis d = DiagnoseOpenFailure(
            pty.slavePath(), EBUSY, "Device or resource busy", SystemFolders{proc.path(), {}});
        QCOMPARE(d.kind, PortDiagnosis::Busy);
        QCOMPARE(d.finding, pty.slavePath() +
                                " is busy: held open by rmox-sensor-sim (pid 100, the program "
                                "behind the device), rmox-sensor-tool (pid 200), ModemManager "
                                "(pid 300)");
        QVERIFY2(d.remedy.startsWith("close rmox-sensor-tool, or end it: kill 200; sudo "
                                     "systemctl stop ModemManager"),
                 qPrintable(d.remedy));
        QVERIFY2(!d.remedy.contains("100"), qPrintable(d.remedy));
    }

    // Another program holds the device: the status line keeps the tool's text, its tool tip
    // names the holder.
    void busyDeviceNamesItsHolder() {
        const QString device = dir.filePath("ttyBusy");
        PluggableSim sensor(device, {"--no-pacing"});
        QVERIFY2(sensor.isRunning(), qPrintable(sensor.errorString()));
        QProcess holder;
        StartTool(holder, {"--port", "1=" + device});
        QVERIFY(holder.waitForStarted());
        const qint64 pid = holder.processId();
        const auto holds = [&] {
            const QList<Holder> holders = HoldersOf(device, "/proc");
            return std::any_of(holders.begin(), holders.end(),
                               [&](const Holder &h) { return h.pid == holder.processId(); });
        };
        QVERIFY(PumpUntil(holds, 10000));

        qputenv("RMOX_COM2", device.toLocal8Bit());
        com = 2;
        InitRS232(com);
        const QString expected = QString("VidaREZezad11 (pid %1)").arg(pid);
        const bool told = PumpUntil([&] { return statusTip().contains(expected); }, 2000);
        holder.kill();
        holder.waitForFinished();
        for (const QString &lock : LockFilesOf(device, SystemFolders().locks))
            QFile::remove(lock);
        QVERIFY2(told, qPrintable(statusTip()));
        QCOMPARE(StatusText(), QString("Cannot open port"));
        QVERIFY(statusTip().contains("busy"));
        QVERIFY(finder->notes().join(' ').contains(QString("kill %1").arg(pid)));
    }

    // A node the user may not open: the tool, run as nobody, names the group and the command.
    void permissionDeniedNamesTheGroup() {
        if (geteuid() != 0)
            QSKIP("needs root to run the tool as another user without access to a device");
        const group *dialout = getgrnam("dialout");
        const passwd *nobody = getpwnam("nobody");
        if (!dialout || !nobody)
            QSKIP("this system has no dialout group or no user nobody");
        PtyPair pty;
        QVERIFY(pty.isOpen());
        const QByteArray node = pty.slavePath().toLocal8Bit();
        QVERIFY(chown(node.constData(), 0, dialout->gr_gid) == 0);
        QVERIFY(chmod(node.constData(), 0660) == 0);

        QProcess tool;
        QProcessEnvironment env = OffscreenEnvironment();
        env.insert("HOME", dir.path());
        env.remove("XDG_RUNTIME_DIR");
        const uid_t uid = nobody->pw_uid;
        const gid_t gid = nobody->pw_gid;
        tool.setChildProcessModifier([uid, gid] {
            if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
                _exit(99);
        });
        StartTool(tool, {"--port", "1=" + pty.slavePath()}, env);
        QVERIFY(tool.waitForStarted());
        QByteArray err;
        QElapsedTimer clock;
        clock.start();
        while (!err.contains("remedy:") && tool.state() == QProcess::Running &&
               clock.elapsed() < 15000) {
            tool.waitForReadyRead(200);
            err += tool.readAllStandardError();
        }
        tool.kill();
        tool.waitForFinished();
        const QString text = QString::fromLocal8Bit(err);
        qInfo("%s", qPrintable(text));
        QVERIFY2(
            text.contains("permission denied: " + pty.slavePath() + " belongs to root:dialout"),
            qPrintable(text));
        QVERIFY2(text.contains("remedy: sudo usermod -aG dialout nobody"), qPrintable(text));
    }

    // One search over a line of every kind, as a technician meets them: each verdict, the
    // holder and the lock's owner named, their lock file left as it was and none of the
    // search's own left behind, all within the bound.
    void searchTellsEveryLineApart() {
        PluggableSim sensor(dir.filePath("findSensor"));
        PluggableSim silent(dir.filePath("findSilent"), {"--silent"});
        PluggableSim loop(dir.filePath("findLoop"), {"--loopback"});
        PluggableSim talker(dir.filePath("findTalker"), {"--talker", "9600"});
        PluggableSim wrong(dir.filePath("findWrong"), {"--wrong-echo"});
        for (const PluggableSim *sim : {&sensor, &silent, &loop, &talker, &wrong})
            QVERIFY2(sim->isRunning(), qPrintable(sim->errorString()));
        PtyPair held, locked;
        QProcess holder, owner;
        holder.setStandardInputFile(held.slavePath());
        holder.start("sleep", {"60"});
        owner.start("sleep", {"60"});
        QVERIFY(holder.waitForStarted() && owner.waitForStarted());
        const qint64 holderPid = holder.processId(), ownerPid = owner.processId();
        const QString lock = SerialLockPath(locked.slavePath());
        const QByteArray lockText = QByteArray::number(ownerPid).rightJustified(10) + '\n';
        {
            // The pseudo-terminal is this test's own, so a lock file naming it is stale.
            QFile file(lock);
            QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(lockText) == lockText.size(),
                     qPrintable(lock));
        }
        const QList<SearchTarget> targets = {
            {1, sensor.linkPath()},  {2, silent.linkPath()},          {3, loop.linkPath()},
            {4, talker.linkPath()},  {5, wrong.linkPath()},           {6, held.slavePath()},
            {7, locked.slavePath()}, {8, dir.filePath("findMissing")}};
        const unsigned short words[kFrameDataWords] = {};
        QElapsedTimer clock;
        clock.start();
        DeviceSearch found(targets, EchoFrame(words));
        while (!found.finished())
            found.wait(50);
        const qint64 ms = clock.elapsed();
        qInfo("%lld devices searched in %lld ms", qint64(targets.size()), ms);
        QList<ProbeFinding::Kind> kinds;
        for (int i = 0; i < targets.size(); ++i)
            kinds << found.finding(i).kind;
        const QByteArray ownLock = QFile(lock).exists() ? [&] {
            QFile file(lock);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }() : QByteArray();
        QFile::remove(lock);
        holder.kill();
        owner.kill();
        holder.waitForFinished();
        owner.waitForFinished();

        QCOMPARE(kinds, (QList<ProbeFinding::Kind>{ProbeFinding::Answered, ProbeFinding::Silent,
                                                   ProbeFinding::OwnFrame, ProbeFinding::NoFrame,
                                                   ProbeFinding::WrongEcho, ProbeFinding::Busy,
                                                   ProbeFinding::Busy, ProbeFinding::Missing}));
        QVERIFY(found.finding(0).replyMs > 0 && found.finding(0).replyMs < kAnswerMs);
        QVERIFY2(found.finding(5).finding.contains(
                     QString("held open by sleep (pid %1)").arg(holderPid)),
                 qPrintable(found.finding(5).finding));
        QVERIFY2(
            found.finding(6).finding.contains(QString("locked by sleep (pid %1)").arg(ownerPid)),
            qPrintable(found.finding(6).finding));
        QVERIFY(found.finding(5).remedy.contains(QString("kill %1").arg(holderPid)));
        QCOMPARE(ownLock, lockText);
        QVERIFY(!QFile::exists(SerialLockPath(sensor.linkPath())));
        QVERIFY2(ms < 1500, qPrintable(QString::number(ms)));
    }

    // File -> Find sensor while the tool uses port 1: that port sees no byte and is told from
    // the tool's own echo check; a click on the other device that answered picks it as the
    // ring does, through the whole port set-up.
    void findSensorLeavesThePortInUseAlone() {
        SimProcess inUse({"--no-pacing", "--verbose", "--link", link()});
        PluggableSim other(farLink(), {"--no-pacing"});
        QVERIFY2(inUse.isRunning(), qPrintable(inUse.errorString()));
        QVERIFY2(other.isRunning(), qPrintable(other.errorString()));
        // The ring shows both: the search looks at what the ring knows.
        QVERIFY(PumpUntil(
            [] {
                return item(1).contains("pseudo-terminal") && item(12).contains("pseudo-terminal");
            },
            kHotPlugMs + kMarginMs));
        com = 1;
        SetCtrlVal(panelHandle, MAIN_PORT, 1);
        InitRS232(com);
        QCOMPARE(ret, 1);
        PumpEvents(100);
        // Port diagnostics tells the same check from the traffic the tool saw.
        menus->view()->findChild<QAction *>("Port diagnostics")->trigger();
        auto *view = rtPanelWidget(panelHandle)->findChild<PortDiagnosticsView *>();
        const QString page = view->findChild<QTextBrowser *>()->toPlainText();
        view->hide();
        QVERIFY2(page.contains("port 1 is open and its sensor answered the echo check"),
                 qPrintable(page));
        const qsizetype requests = inUse.standardError().count("order ");
        int tapped = 0;
        const auto tap = connect(serial.get(), &SerialEvents::happened, this, [&] { ++tapped; });

        menus->file()->findChild<QAction *>("Find sensor")->trigger();
        QVERIFY(search->searching());
        QVERIFY(!search->button()->isEnabled());
        QVERIFY(PumpUntil([&] { return !search->searching(); }, 3000));
        disconnect(tap);
        QCOMPARE(tapped, 0);
        PumpEvents(100);
        QCOMPARE(inUse.standardError().count("order "), requests);

        QTableView *table = search->window()->table();
        auto *model = qobject_cast<FinderModel *>(table->model());
        const QStringList lines = model->lines();
        const QString inUseLine = lines.filter(QRegularExpression("^port 1 \\(")).value(0);
        QVERIFY2(inUseLine.contains("in use by this tool: sensor answered"), qPrintable(inUseLine));
        const int row = int(lines.indexOf(QRegularExpression("^port 12 \\(.*sensor answered.*")));
        QVERIFY2(row >= 0, qPrintable(lines.join('\n')));
        QVERIFY2(
            search->window()->summary().endsWith("a sensor answered on port 12; port 1, which "
                                                 "the tool uses, answered its own echo check."),
            qPrintable(search->window()->summary()));
        const QModelIndex cell = model->index(row, FinderModel::VerdictColumn);
        table->scrollTo(cell);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(cell).center());
        QVERIFY2(
            PumpUntil(
                [] { return com == 12 && StatusText() == "Parameter-frame received! - Line Ok!"; },
                5000),
            qPrintable(StatusText()));
        search->window()->hide();
        CloseCom(com);
    }

    // --find prints every device and exits 0 when a sensor answered, 1 when none did, 2 on
    // bad use, without a panel.
    void findCommandExitCodes() {
        PluggableSim sensor(dir.filePath("findCommand"), {"--no-pacing"});
        QVERIFY2(sensor.isRunning(), qPrintable(sensor.errorString()));
        const auto run = [](const QStringList &arguments) {
            QProcess tool;
            StartTool(tool, arguments);
            tool.waitForFinished(10000);
            return std::pair{tool.exitCode(), QString::fromLocal8Bit(tool.readAllStandardOutput())};
        };
        const auto [found, text] = run({"--find", "--port", "20=" + sensor.linkPath()});
        QCOMPARE(found, 0);
        QVERIFY2(text.contains("port 20 (" + sensor.linkPath() + "): sensor answered ("),
                 qPrintable(text));
        QVERIFY(sensor.pullOut());
        const auto [none, noneText] = run({"--find", "--port", "20=" + sensor.linkPath()});
        QCOMPARE(none, 1);
        QVERIFY2(noneText.endsWith("no sensor answered\n"), qPrintable(noneText));
        QCOMPARE(run({"--find", "--log", dir.filePath("find.log")}).first, 2);
    }
};

QTEST_MAIN(WorkbenchPortsTest)
#include "test_workbench_ports.moc"
