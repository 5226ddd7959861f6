// The platform layer's files: array files as text, and the file dialog's test seam.
#include "runtime/runtime.h"
#include "runtime/testing.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
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

    void fileDialogSeamAnswersWithoutShowing() {
        SetNextFileSelectAnswer(VAL_NEW_FILE_SELECTED, "/tmp/a.dat");
        char path[260] = "x";
        QCOMPARE(
            FileSelectPopup("/tmp", "a.dat", "*.dat", "Title", VAL_OK_BUTTON, 0, 1, 1, 1, path),
            int(VAL_NEW_FILE_SELECTED));
        QCOMPARE(QByteArray(path), QByteArray("/tmp/a.dat"));
    }
};

QTEST_MAIN(RuntimeFilesTest)
#include "test_runtime_files.moc"
