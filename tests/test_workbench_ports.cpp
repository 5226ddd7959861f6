// SPDX-License-Identifier: GPL-3.0-or-later
// The port finder: the ring's texts, a device given by hand, adapters that come and go, the
// port in use opened again when its sensor comes back, and why an open failed.
#include "link/COM232.h"
#include "ops/port_setup.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/pluggable_sim.h"
#include "support/pty_pair.h"
#include "support/sim_process.h"
#include "support/tool_fixture.h"
#include "workbench/menu_bar.h"
#include "workbench/port_diagnosis.h"
#include "workbench/port_finder.h"
#include "workbench/port_ring.h"
#include "workbench/serial_events.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
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

QString toolExecutable() {
    return QCoreApplication::applicationDirPath() + "/../VidaREZezad11";
}

} // namespace

class WorkbenchPortsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<MenuBar> menus;
    std::unique_ptr<SerialEvents> serial;
    std::unique_ptr<PortFinder> finder;
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
        qputenv("RMOX_COM12", farLink().toLocal8Bit());
        QVERIFY(StartToolPanels());
        menus = std::make_unique<MenuBar>();
        serial = std::make_unique<SerialEvents>();
        finder = std::make_unique<PortFinder>(*serial, *menus);
        auto *status = qobject_cast<QLineEdit *>(rtControlWidget(panelHandle, MAIN_STATUS));
        connect(status, &QLineEdit::textChanged, this, [this](const QString &t) { shown << t; });
    }
    void cleanupTestCase() {
        CloseCom(com);
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
    // a user's choice is, and the tool opens it.
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

    // Another program holds the device: the status line keeps the tool's text, its tool tip
    // names the holder.
    void busyDeviceNamesItsHolder() {
        const QString device = dir.filePath("ttyBusy");
        PluggableSim sensor(device, {"--no-pacing"});
        QVERIFY2(sensor.isRunning(), qPrintable(sensor.errorString()));
        QProcess holder;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        holder.setProcessEnvironment(env);
        holder.start(toolExecutable(), {"--port", "1=" + device});
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
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", dir.path());
        env.remove("XDG_RUNTIME_DIR");
        tool.setProcessEnvironment(env);
        const uid_t uid = nobody->pw_uid;
        const gid_t gid = nobody->pw_gid;
        tool.setChildProcessModifier([uid, gid] {
            if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
                _exit(99);
        });
        tool.start(toolExecutable(), {"--port", "1=" + pty.slavePath()});
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
};

QTEST_MAIN(WorkbenchPortsTest)
#include "test_workbench_ports.moc"
