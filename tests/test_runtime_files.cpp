// SPDX-License-Identifier: GPL-3.0-or-later
// The platform layer's files: array files as text, and the file dialog (the real one and its
// test seam).
#include "runtime/runtime.h"
#include "runtime/testing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <future>
#include <sys/stat.h>

namespace {

const QByteArray kSixteen = "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16";

int readArray(const QString &path, unsigned int *into, int count) {
    return FileToArray(path.toLocal8Bit(), into, VAL_UNSIGNED_INTEGER, count, 1, 0, 0, VAL_ASCII);
}

// Bytes this process has read through read() and the like so far.
qint64 bytesReadSoFar() {
    QFile io("/proc/self/io");
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

// Runs a save dialog in `dir` and, once it shows, hands it to `user`.
int runDialog(const QString &dir, int restrictExtension,
              const std::function<void(QFileDialog &)> &user, QByteArray &path) {
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll.stop();
        QTimer::singleShot(20000, dialog, &QDialog::reject); // should `user` leave it open
        user(*dialog);
    });
    poll.start(20);
    char out[260] = "unchanged";
    const int result = FileSelectPopup(dir.toLocal8Bit(), "", "*.dat", "Parameter File",
                                       VAL_OK_BUTTON, 0, restrictExtension, 1, 1, out);
    path = out;
    return result;
}

void enterName(QFileDialog &dialog, const QString &name) {
    auto *edit = dialog.findChild<QLineEdit *>("fileNameEdit");
    if (!edit)
        return;
    edit->clear();
    QTest::keyClicks(edit, name);
    QTest::keyClick(edit, Qt::Key_Return);
}

QString visibleNote(const QFileDialog &dialog, const QString &containing) {
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        if (label->isVisible() && label->text().contains(containing))
            return label->text();
    return {};
}

} // namespace

class RuntimeFilesTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    int load(const QByteArray &text, unsigned int *into, int count) {
        QFile f(dir.filePath("x.dat"));
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
            return 1;
        f.close();
        return readArray(dir.filePath("x.dat"), into, count);
    }

  private slots:
    // The dialog keeps its history in the user's settings; these runs keep theirs here.
    void initTestCase() { qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit()); }

    void arrayFileRoundTrip() {
        QByteArray path = dir.filePath("set.dat").toLocal8Bit();
        unsigned int out[16];
        for (unsigned int i = 0; i < 16; ++i)
            out[i] = i == 15 ? 65535 : i;
        QCOMPARE(ArrayToFile(path, out, VAL_UNSIGNED_INTEGER, 16, 1, 0, 0, 0, 4, VAL_ASCII, 0), 0);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 17);
        QCOMPARE(lines[0], QByteArray("   0"));
        QCOMPARE(lines[15], QByteArray("65535"));
        unsigned int in[16] = {};
        QCOMPARE(FileToArray(path, in, VAL_UNSIGNED_INTEGER, 16, 1, 0, 0, VAL_ASCII), 0);
        QVERIFY(std::equal(out, out + 16, in));
    }

    void arrayFileRejectsShortOrBadFilesUntouched() {
        unsigned int v[3] = {7, 7, 7};
        QCOMPARE(load("1 2", v, 3), int(kFileFormatError));
        QCOMPARE(load("1 -2 3", v, 3), int(kFileFormatError));
        QCOMPARE(load("1 x 3", v, 3), int(kFileFormatError));
        QCOMPARE(load(QByteArray("1 2\0x 3", 7), v, 3), int(kFileFormatError));
        QCOMPARE(load("1 2 3 4", v, 3), int(kFileFormatError));
        QCOMPARE(load("1 2 3\nx", v, 3), int(kFileFormatError));
        QCOMPARE(load("1 2 3x", v, 3), int(kFileFormatError));
        QCOMPARE(v[0], 7u);
        QCOMPARE(readArray(dir.filePath("none"), v, 3), int(kFileIOError));
        QCOMPARE(readArray(dir.path(), v, 3), int(kFileIOError));
    }

    // Only the low 32 bits of a number count, however many digits it has.
    void arrayFileKeepsLowBitsOfLongNumbers() {
        unsigned int v[3] = {};
        QCOMPARE(load("\t18446744073709551621\r\n\n  0004294967296 " +
                          QByteArray("1234567890").repeated(6) + "\n \n",
                      v, 3),
                 0);
        QCOMPARE(v[0], 5u);
        QCOMPARE(v[1], 0u);
        QCOMPARE(v[2], 3460238034u);
    }

    // A FIFO would block the read (and the window) until someone writes to it.
    void arrayFileRefusesFifoAtOnce() {
        const QByteArray fifo = dir.filePath("fifo.dat").toLocal8Bit();
        QCOMPARE(::mkfifo(fifo, 0600), 0);
        unsigned int v[1];
        auto read = std::async(std::launch::async,
                               [&] { return readArray(QString::fromLocal8Bit(fifo), v, 1); });
        const bool prompt = read.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        if (!prompt) // a writer ends a reader blocked in its open
            QFile(QString::fromLocal8Bit(fifo)).open(QIODevice::WriteOnly);
        QVERIFY(prompt);
        QCOMPARE(read.get(), int(kFileIOError));
    }

    // Sixteen numbers may be followed by white space up to the bound, not one byte further; a
    // huge file is given up at the bound instead of being read whole.
    void arrayFileReadsNoFurtherThanItsBound() {
        const int bound = 16 * kArrayFileBytesPerNumber;
        unsigned int v[16];
        QCOMPARE(load(kSixteen.leftJustified(bound, ' '), v, 16), 0);
        QCOMPARE(load(kSixteen.leftJustified(bound + 1, ' '), v, 16), int(kFileFormatError));

        QFile big(dir.filePath("big.dat"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        big.write(kSixteen.leftJustified(bound + 1, ' '));
        QVERIFY(big.resize(qint64(256) << 20));
        big.close();
        const qint64 before = bytesReadSoFar();
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(readArray(big.fileName(), v, 16), int(kFileFormatError));
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(before >= 0);
        QVERIFY2(bytesReadSoFar() - before < 2 * bound, "read past the bound");
    }

    void failedWriteKeepsOldFile() {
        QByteArray missingDir = dir.filePath("no/such/dir/set.dat").toLocal8Bit();
        unsigned int out[1] = {5};
        QVERIFY(ArrayToFile(missingDir, out, VAL_UNSIGNED_INTEGER, 1, 1, 0, 0, 0, 4, VAL_ASCII, 0) <
                0);
    }

    // The seam answers without a dialog, but a path too long for the buffer is refused, not cut.
    void fileDialogSeamAnswersWithoutShowing() {
        char path[260] = "x";
        SetNextFileSelectAnswer(VAL_NEW_FILE_SELECTED, "/tmp/a.dat");
        QCOMPARE(
            FileSelectPopup("/tmp", "a.dat", "*.dat", "Title", VAL_OK_BUTTON, 0, 1, 1, 1, path),
            int(VAL_NEW_FILE_SELECTED));
        QCOMPARE(QByteArray(path), QByteArray("/tmp/a.dat"));

        const QByteArray fits = "/" + QByteArray(254, 'a') + ".dat"; // 259 bytes
        SetNextFileSelectAnswer(VAL_NEW_FILE_SELECTED, fits);
        QCOMPARE(FileSelectPopup("/", "", "*.dat", "Title", VAL_OK_BUTTON, 0, 1, 1, 1, path),
                 int(VAL_NEW_FILE_SELECTED));
        QCOMPARE(QByteArray(path), fits);
        SetNextFileSelectAnswer(VAL_NEW_FILE_SELECTED, "/a" + fits);
        QCOMPARE(FileSelectPopup("/", "", "*.dat", "Title", VAL_OK_BUTTON, 0, 1, 1, 1, path),
                 int(kFilePathTooLong));
        QCOMPARE(QByteArray(path), QByteArray());
    }

    // The real dialog: another extension is refused inside it, a bare name gets ".dat", a
    // path too long for the caller's buffer is refused, and without the restriction any
    // name goes. (Qt adds no suffix to a bare name that is a folder in the working directory.)
    void fileDialogEnforcesExtensionAndPathLength() {
        QTemporaryDir own;
        bool stayedOpen = false;
        QString note;
        QByteArray path;
        int result = runDialog(
            own.path(), 1,
            [&](QFileDialog &dialog) {
                enterName(dialog, "notes.txt");
                stayedOpen = dialog.isVisible();
                note = visibleNote(dialog, "notes.txt");
                enterName(dialog, "fresh-set");
            },
            path);
        QVERIFY(stayedOpen);
        QVERIFY2(note.contains("*.dat"), qPrintable(note));
        QCOMPARE(result, int(VAL_NEW_FILE_SELECTED));
        QCOMPARE(QString::fromLocal8Bit(path), own.filePath("fresh-set.dat"));

        const QString longName = QString(260 - own.path().size(), 'p') + ".dat";
        result = runDialog(
            own.path(), 1, [&](QFileDialog &d) { enterName(d, longName); }, path);
        QCOMPARE(result, int(kFilePathTooLong));
        QCOMPARE(path, QByteArray());

        result = runDialog(
            own.path(), 0, [&](QFileDialog &d) { enterName(d, "notes.txt"); }, path);
        QCOMPARE(result, int(VAL_NEW_FILE_SELECTED));
        QCOMPARE(QString::fromLocal8Bit(path), own.filePath("notes.txt"));
    }
};

QTEST_MAIN(RuntimeFilesTest)
#include "test_runtime_files.moc"
