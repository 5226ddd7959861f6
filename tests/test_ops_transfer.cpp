// SPDX-License-Identifier: GPL-3.0-or-later
// Parameter transfer: the storage-target buttons, Send and Get against the simulated sensor,
// and a line on which no sensor answers.
#include "app/VidaREZezad11.h"
#include "link/COM232.h"
#include "ops/transfer.h"
#include "params/params.h"
#include "runtime/graph_model.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "runtime/testing.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/pty_pair.h"
#include "support/sim_process.h"
#include "support/text_files.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <array>
#include <memory>

using namespace toolprobe;

namespace {

// The simulator's EEPROM set at its start; its RAM starts as a copy.
constexpr Words kSensorSet = {700, 1, 400, 90, 0, 1, 100, 900, 300, 50, 0, 0, 0, 10, 2, 1100};

QByteArray textOf(const Words &w) {
    QByteArray text;
    for (unsigned short v : w)
        text += QByteArray::number(v) + '\n';
    return text;
}

Words numbersIn(const QString &path) {
    QFile file(path);
    Words w{};
    if (!file.open(QIODevice::ReadOnly))
        return w;
    const QList<QByteArray> fields = file.readAll().simplified().split(' ');
    for (int i = 0; i < PNUM && i < fields.size(); ++i)
        w[i] = fields[i].toUShort();
    return w;
}

std::array<int, 3> targetButtons() {
    return {valueOf(panelHandle, MAIN_RAM), valueOf(panelHandle, MAIN_EEPROM),
            valueOf(panelHandle, MAIN_FILE)};
}

// Clicks a radio button on its indicator, at its left end.
// Send waits for nothing; the pause lets the sensor take the frame before a later request
// flushes the line's output queue.
void send(int t) {
    target = t;
    CC_BTNSend(panelHandle, MAIN_SEND, EVENT_LEFT_CLICK, nullptr, 0, 0);
    PumpEvents(100);
}

void get(int t) {
    target = t;
    CC_BTNGet(panelHandle, MAIN_GET, EVENT_COMMIT, nullptr, 0, 0);
}

} // namespace

class TransferTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<SimProcess> sim;
    QString eeprom() const { return dir.filePath("eeprom.dat"); }

  private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        WriteContent(eeprom(), textOf(kSensorSet));
        sim = std::make_unique<SimProcess>(QStringList{"--no-pacing", "--eeprom", eeprom()});
        QVERIFY2(sim->isRunning(), qPrintable(sim->errorString()));
        QVERIFY(StartToolPanels());
        attach(sim->devicePath());
    }
    void cleanupTestCase() { StopToolPanels(); }

    void startupReadsSensorRam() {
        QCOMPARE(StatusText(), QString("Parameter-frame received! - Line Ok!"));
        QCOMPARE(variables(), kSensorSet);
        QCOMPARE(valueOf(panelHandle, MAIN_POWER), kSensorSet[0]);
        QCOMPARE(valueOf(panelPopUp, POP_TEACHVALUE), kSensorSet[8]);
        // The evaluation window's cursors stand at the edges read, not the defaults'.
        const GraphModel &graph = *GetGraphModel(panelHandle, MAIN_MAINGRAPH);
        QCOMPARE(graph.cursors.at(2).x, double(kSensorSet[6]));
        QCOMPARE(graph.cursors.at(3).x, double(kSensorSet[7]));
        QCOMPARE(graph.cursors.at(3).y, 1.0);
    }

    // Exactly one button stays on; switching the chosen one off falls back to RAM.
    void radioButtonsKeepOneTarget() {
        const struct {
            int control;
            int target;
            std::array<int, 3> on;
        } steps[] = {{MAIN_EEPROM, EEPROM, {0, 1, 0}},
                     {MAIN_EEPROM, RAM, {1, 0, 0}},
                     {MAIN_RAM, RAM, {1, 0, 0}},
                     {MAIN_FILE, DATFILE, {0, 0, 1}},
                     {MAIN_RAM, RAM, {1, 0, 0}}};
        for (const auto &step : steps) {
            Click(step.control);
            QCOMPARE(target, step.target);
            QCOMPARE(targetButtons(), step.on);
        }
    }

    void sendToEepromThenGetFromEeprom() {
        SetCtrlVal(panelHandle, MAIN_POWER, 321);
        send(EEPROM);
        QCOMPARE(StatusText(), QString("Line Ok!"));
        const Words sent = variables();
        QCOMPARE(sent[0], 321);
        power = 1;
        SetCtrlVal(panelHandle, MAIN_UNIT, 0);
        get(EEPROM);
        QCOMPARE(StatusText(), QString("Parameter-frame received! - Line Ok!"));
        QCOMPARE(variables(), sent);
        QCOMPARE(numbersIn(eeprom()), sent);
        QCOMPARE(valueOf(panelHandle, MAIN_UNIT), 1);
        QCOMPARE(valueOf(panelHandle, MAIN_TEACHVALUE), sent[8]);
        get(RAM);
        QCOMPARE(variables(), kSensorSet);
    }

    void outOfRangeWordIsCorrectedOnGetAndSentCorrected() {
        power = 1001;
        CopyVarsToPP();
        FillTxBuf(1, pp);
        QCOMPARE(ComWrt(com, szWriteBuf, kFrameBytes), kFrameBytes);
        PumpEvents(100);
        get(RAM);
        QCOMPARE(power, 500);
        QCOMPARE(valueOf(panelHandle, MAIN_POWER), 500);
        send(EEPROM);
        QTRY_COMPARE(numbersIn(eeprom())[0], 500);
    }

    // A pseudo-terminal on which nothing answers; the test reads what the tool writes.
    void silentLine() {
        PtyPair line;
        QVERIFY(line.isOpen());
        attach(line.slavePath());
        line.receive(kFrameBytes, 100);

        const Words before = variables();
        SetCtrlVal(panelHandle, MAIN_POWER, before[0] + 1);
        QString waiting;
        QTimer::singleShot(300, [&] { waiting = StatusText(); });
        QElapsedTimer clock;
        clock.start();
        get(RAM);
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(waiting, QString("Waiting for parameter-frame ..."));
        QCOMPARE(StatusText(), QString("Timeout-RS-232..."));
        QVERIFY2(elapsed > 1400 && elapsed < 2500, qPrintable(QString::number(elapsed)));
        QCOMPARE(variables(), before);
        QCOMPARE(valueOf(panelHandle, MAIN_POWER), before[0]);
        const QByteArray request = line.receive(kFrameBytes, 100);
        QCOMPARE(request.left(4), QByteArray("\x00\x55\x00\x02", 4));
        QCOMPARE(wordsOf(request), before);

        SetCtrlVal(panelHandle, MAIN_VIDEOTHRESHOLD, 777);
        send(EEPROM);
        const QByteArray written = line.receive(kFrameBytes, 500);
        QCOMPARE(written.left(4), QByteArray("\x00\x55\x00\x03", 4));
        QCOMPARE(wordsOf(written)[2], 777);
        QCOMPARE(wordsOf(written), variables());

        const QString path = dir.filePath("set.dat");
        WriteContent(path, textOf(kSensorSet));
        SetNextFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, qPrintable(path));
        get(DATFILE);
        QCOMPARE(variables(), kSensorSet);
        QCOMPARE(line.receive(1, 200), QByteArray());
    }
};

QTEST_MAIN(TransferTest)
#include "test_ops_transfer.moc"
