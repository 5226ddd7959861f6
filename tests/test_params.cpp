// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter set: packet order, the copies both ways and the range check.
#include "params/params.h"
#include "state/globals.h"

#include <QTest>

class ParamsTest : public QObject {
    Q_OBJECT

  private slots:
    void packetCarriesEveryWordInItsPlace() {
        unsigned short *vars[PNUM] = {&power,   &pwrMode, &vThd,  &bVal,  &polarity, &eMode,
                                      &eBeg,    &eEnd,    &tVal,  &tTol,  &iGain,    &ePoti,
                                      &ccdMode, &pStart,  &bMode, &para15};
        for (int i = 0; i < PNUM; ++i)
            *vars[i] = static_cast<unsigned short>(0x1000 + i);
        CopyVarsToPP();
        for (int i = 0; i < PNUM; ++i)
            QCOMPARE(pp[i], static_cast<unsigned short>(0x1000 + i));
    }

    void roundTripKeepsExtremeWords() {
        const unsigned short pattern[PNUM] = {0,      0xFFFF, 1,      0x8000, 0x7FFF, 0xFFFE,
                                              0x00FF, 0xFF00, 1024,   1023,   512,    513,
                                              7,      0xAAAA, 0x5555, 1200};
        std::copy(pattern, pattern + PNUM, pp);
        CopyPPtoVars();
        std::fill(pp, pp + PNUM, 0x1234);
        CopyVarsToPP();
        QVERIFY(std::equal(pattern, pattern + PNUM, pp));
    }

    void defaults() {
        AssignParameterDefaults();
        CopyVarsToPP();
        const unsigned short expected[PNUM] = {500, 0,   512, 64, 1, 1, 200, 800,
                                               512, 100, 1,   1,  0, 1, 0,   1000};
        QVERIFY(std::equal(expected, expected + PNUM, pp));
    }

    void rangeCheck_data() {
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("power 1000 stays") << 0 << 1000 << 1000;
        QTest::newRow("power 1001") << 0 << 1001 << 500;
        QTest::newRow("pwrMode 2") << 1 << 2 << 0;
        QTest::newRow("vThd 1023 stays") << 2 << 1023 << 1023;
        QTest::newRow("vThd 1024") << 2 << 1024 << 512;
        QTest::newRow("bVal 1024 falls back to 60") << 3 << 1024 << 60;
        QTest::newRow("polarity 5") << 4 << 5 << 1;
        QTest::newRow("eMode 7") << 5 << 7 << 3;
        QTest::newRow("eBeg 1024 stays") << 6 << 1024 << 1024;
        QTest::newRow("eEnd 1025") << 7 << 1025 << 800;
        QTest::newRow("tVal 1024 stays") << 8 << 1024 << 1024;
        QTest::newRow("tVal 1025") << 8 << 1025 << 512;
        QTest::newRow("tTol 512 stays") << 9 << 512 << 512;
        QTest::newRow("tTol 513 falls back to 128") << 9 << 513 << 128;
        QTest::newRow("iGain 2 falls back to 0") << 10 << 2 << 0;
        QTest::newRow("ePoti 3") << 11 << 3 << 1;
        QTest::newRow("ccdMode 7 untouched") << 12 << 7 << 7;
        QTest::newRow("pStart 1024") << 13 << 1024 << 1;
        QTest::newRow("bMode 9 untouched") << 14 << 9 << 9;
        QTest::newRow("para15 799 raised") << 15 << 799 << 800;
        QTest::newRow("para15 1300") << 15 << 1300 << 1200;
        QTest::newRow("para15 0xFFFF") << 15 << 0xFFFF << 1200;
    }

    void rangeCheck() {
        QFETCH(int, word);
        QFETCH(int, value);
        QFETCH(int, expected);
        AssignParameterDefaults();
        CopyVarsToPP();
        pp[word] = static_cast<unsigned short>(value);
        CopyPPtoVars();
        RangeCheckParameters();
        CopyVarsToPP();
        QCOMPARE(int(pp[word]), expected);
        // Only the word out of range changes.
        unsigned short before[PNUM];
        AssignParameterDefaults();
        CopyVarsToPP();
        std::copy(pp, pp + PNUM, before);
        before[word] = static_cast<unsigned short>(expected);
        pp[word] = static_cast<unsigned short>(value);
        CopyPPtoVars();
        RangeCheckParameters();
        CopyVarsToPP();
        QVERIFY(std::equal(before, before + PNUM, pp));
    }
};

QTEST_MAIN(ParamsTest)
#include "test_params.moc"
