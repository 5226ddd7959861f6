// SPDX-License-Identifier: GPL-3.0-or-later
// Parameter files: the text written by Send, what Get accepts, and saves and loads that fail.
#include "app/VidaREZezad11.h"
#include "ops/panel_refresh.h"
#include "ops/param_file.h"
#include "ops/transfer.h"
#include "params/panel_binding.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "runtime/testing.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "state/status_line.h"
#include "support/text_files.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <csignal>
#include <sys/resource.h>

using namespace toolprobe;

namespace {

// A valid set, different from the panel file's start values.
constexpr Words kSet = {650, 1, 480, 120, 0, 2, 150, 870, 200, 24, 0, 0, 1, 256, 1, 1050};

Words packet() {
    Words w;
    std::copy(pp, pp + PNUM, w.begin());
    return w;
}

// Puts a set into the packet, the variables and the panel.
void showSet(const Words &w) {
    std::copy(w.begin(), w.end(), pp);
    CopyPPtoVars();
    SetPanelValues();
}

// Send and Get with target File, the file dialog answered with `path`.
void sendToFile(const QString &path, int answer = VAL_NEW_FILE_SELECTED) {
    target = DATFILE;
    SetNextFileSelectAnswer(answer, qPrintable(path));
    CC_BTNSend(panelHandle, MAIN_SEND, EVENT_LEFT_CLICK, nullptr, 0, 0);
}

void getFromFile(const QString &path, int answer = VAL_EXISTING_FILE_SELECTED) {
    target = DATFILE;
    SetNextFileSelectAnswer(answer, qPrintable(path));
    CC_BTNGet(panelHandle, MAIN_GET, EVENT_COMMIT, nullptr, 0, 0);
}

} // namespace

class ParamFileTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

  private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        QVERIFY(StartToolPanels());
    }
    void cleanupTestCase() { StopToolPanels(); }
    void init() { showSet(kSet); }

    void saveReplacesFileWithSixteenAlignedLines() {
        const QString path = dir.filePath("replaced.dat");
        WriteContent(path, QByteArray("99999\n").repeated(40));
        sendToFile(path);
        QCOMPARE(ContentOf(path), QByteArray(" 650\n   1\n 480\n 120\n   0\n   2\n 150\n 870\n"
                                             " 200\n  24\n   0\n   0\n   1\n 256\n   1\n1050\n"));
        QCOMPARE(StatusText(), QString("Parameter file saved!"));
    }

    void roundTripThroughSendAndGet() {
        const QString path = dir.filePath("roundtrip.dat");
        sendToFile(path);
        showSet({});
        getFromFile(path);
        QCOMPARE(variables(), kSet);
        unsigned short power = 0;
        GetCtrlVal(panelHandle, MAIN_POWER, &power);
        QCOMPARE(power, kSet[0]);
        QCOMPARE(StatusText(), QString("Parameter file loaded!"));
    }

    // Loading alone, without the panel refresh that would range-check the words.
    void loadTakesAnyWhiteSpaceAndLowSixteenBits() {
        const QString path = dir.filePath("odd.dat");
        WriteContent(path, "\t65535\r\n\n  65536 131074\v3\f4 5 6 7 8 9\n10 11 12 13 14 15\n");
        SetNextFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, qPrintable(path));
        ReadParaFromFile();
        QCOMPARE(variables(), (Words{65535, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    }

    void unreadableFileKeepsParameterSet_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("fifteen numbers") << QByteArray("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15\n");
        QTest::newRow("letters") << QByteArray("1 2 3 4 5 6 7 8 x9 10 11 12 13 14 15 16\n");
        QTest::newRow("negative") << QByteArray("-1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n");
        QTest::newRow("fraction") << QByteArray("1.5 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n");
    }
    void unreadableFileKeepsParameterSet() {
        QFETCH(QByteArray, content);
        const QString path = dir.filePath("bad.dat");
        QFile::remove(path);
        if (!content.isNull())
            WriteContent(path, content);
        SetStatusText("Parameter-frame received! - Line Ok!");
        getFromFile(path);
        QCOMPARE(packet(), kSet);
        QCOMPARE(variables(), kSet);
        QCOMPARE(StatusText(), QString("Parameter file could not be read!"));
    }

    void cancelReadsAndWritesNothing() {
        const QString path = dir.filePath("cancelled.dat");
        sendToFile(path, VAL_NO_FILE_SELECTED);
        QVERIFY(!QFile::exists(path));
        WriteContent(path, "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n");
        getFromFile(path, VAL_NO_FILE_SELECTED);
        QCOMPARE(variables(), kSet);
    }

    // Cut to fit file_name, the path would name another file: the one written or read here.
    void tooLongPathFailsSaveAndLoad() {
        QTemporaryDir own;
        const QString path = own.filePath(QString(260 - own.path().size(), 'p') + ".dat");
        sendToFile(path);
        QCOMPARE(StatusText(), QString("Parameter file could not be written!"));
        QCOMPARE(QDir(own.path()).entryList(QDir::Files), QStringList());

        const QByteArray other = "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n";
        WriteContent(path, other);
        WriteContent(QString::fromLocal8Bit(path.toLocal8Bit().left(kPathSize - 1)), other);
        getFromFile(path);
        QCOMPARE(variables(), kSet);
        QCOMPARE(StatusText(), QString("Parameter file could not be read!"));
    }

    void failedSaveIsReportedAndKeepsOldFile() {
        const QString notADir = dir.filePath("plain");
        WriteContent(notADir, "x");
        sendToFile(notADir + "/params.dat");
        QCOMPARE(StatusText(), QString("Parameter file could not be written!"));

        // A file-size limit makes the write fail after the file was created.
        QTemporaryDir own;
        const QString path = own.filePath("kept.dat");
        WriteContent(path, "old\n");
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 20;
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        sendToFile(path);
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(ContentOf(path), QByteArray("old\n"));
        QCOMPARE(QDir(own.path()).entryList(QDir::Files), QStringList{"kept.dat"});
        QCOMPARE(StatusText(), QString("Parameter file could not be written!"));
    }
};

QTEST_MAIN(ParamFileTest)
#include "test_ops_param_file.moc"
