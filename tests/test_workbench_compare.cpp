// SPDX-License-Identifier: GPL-3.0-or-later
// Parameter sets compared: the places' sets through start-up, Get, Send and the file, the
// change markers on the panels, the compare view's highlighting, summary and CSV, a file
// added to the view that stays out of the panels, and the shades of the workbench's views on a
// dark palette.
#include "ops/transfer.h"
#include "params/panel_binding.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "runtime/testing.h"
#include "state/globals.h"
#include "state/notify.h"
#include "state/panel_controls.h"
#include "support/sim_process.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"
#include "workbench/commlog/comm_log.h"
#include "workbench/commlog/comm_log_window.h"
#include "workbench/commlog/comm_row_text.h"
#include "workbench/commlog/comm_table_model.h"
#include "workbench/compare/compare_feature.h"
#include "workbench/compare/compare_window.h"
#include "workbench/shared/menu_bar.h"
#include "workbench/trend/trend_chart.h"
#include "workbench/trend/trend_window.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPainter>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>

using namespace toolprobe;

namespace {

// The simulator's EEPROM set at its start; its RAM starts as a copy.
constexpr Words kSensorSet = {700, 1, 400, 90, 0, 1, 100, 900, 300, 50, 0, 0, 0, 10, 2, 1100};

// The contrast ratio of two colours as WCAG defines it, 1 to 21.
double contrast(const QColor &a, const QColor &b) {
    const auto luminance = [](const QColor &c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return std::max(la, lb) / std::min(la, lb);
}

Words wordsOf(const PlacedSet *set) {
    return set ? set->words : Words{};
}

// Radio buttons are clicked on their indicator, as the user does.
void send() {
    CC_BTNSend(panelHandle, MAIN_SEND, EVENT_LEFT_CLICK, nullptr, 0, 0);
    PumpEvents(100);
}

void get() {
    CC_BTNGet(panelHandle, MAIN_GET, EVENT_COMMIT, nullptr, 0, 0);
}

void editNumeric(int panel, int control, double value) {
    qobject_cast<QDoubleSpinBox *>(rtControlWidget(panel, control))->setValue(value);
}

QString descriptionOf(int panel, int control) {
    return rtControlWidget(panel, control)->property("accessibleDescription").toString();
}

} // namespace

class CompareTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<CoreEvents> core;
    std::unique_ptr<MenuBar> menus;
    std::unique_ptr<CompareFeature> compare;

    const ParameterPlaces &places() const { return compare->places(); }
    bool marked(int word) const { return compare->markers().isMarked(word); }
    bool markersSettle(std::initializer_list<int> expected) const {
        return PumpUntil(
            [&] {
                for (int w = 0; w < PNUM; ++w) {
                    if (marked(w) !=
                        (std::find(expected.begin(), expected.end(), w) != expected.end()))
                        return false;
                }
                return true;
            },
            2000);
    }

    // docs/dark-theme.png: the main window above the communication log and the live trend.
    void writeDarkScreenshot(const CommLog &log) {
        CommLogWindow logWindow(log, nullptr);
        logWindow.resize(900, 260);
        logWindow.show();
        TrendStore store;
        for (int i = 0; i < 600; ++i) {
            LiveValues v;
            v.pixels[kFirstEdgeChannel] = float(380 + 6 * std::sin(i / 40.0));
            v.pixels[kSecondEdgeChannel] = float(620 + 5 * std::cos(i / 50.0));
            v.pixels[kTeachValueChannel] = 600;
            v.pixels[kBandLowChannel] = 570;
            v.pixels[kBandHighChannel] = 630;
            store.append(i * 100, QDateTime::currentMSecsSinceEpoch() - 60'000 + i * 100, v);
        }
        QAction record(QStringLiteral("&Record"));
        TrendWindow trend(store, &record, nullptr);
        trend.resize(900, 640);
        trend.show();
        trend.chart()->placeCursor(0, 30'000);
        DisplayPanel(panelHandle);
        PumpEvents(100);
        QWidget *main = rtPanelWidget(panelHandle);
        const QList<QImage> parts = {main->grab().toImage(), logWindow.grab().toImage(),
                                     trend.grab().toImage()};
        const int right = parts[0].width();
        QImage sheet(right + 900, std::max(parts[0].height(), 260 + 640), QImage::Format_RGB32);
        sheet.fill(Qt::black);
        QPainter painter(&sheet);
        painter.drawImage(0, 0, parts[0]);
        painter.drawImage(right, 0, parts[1]);
        painter.drawImage(right, 260, parts[2]);
        painter.end();
        const QString path = qEnvironmentVariable("RMOX_SOURCE_DIR") + "/docs/dark-theme.png";
        QVERIFY2(sheet.save(path), qPrintable(path));
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        writeSetFile(dir.filePath("eeprom.dat"), kSensorSet);
        sim = std::make_unique<SimProcess>(
            QStringList{"--no-pacing", "--eeprom", dir.filePath("eeprom.dat")});
        QVERIFY2(sim->isRunning(), qPrintable(sim->errorString()));
        core = std::make_unique<CoreEvents>();
        // As the program does: the menu bar comes with the panels, before the about text.
        connect(core.get(), &CoreEvents::panelsReady, this,
                [this] { menus = std::make_unique<MenuBar>(); });
        QVERIFY(StartToolPanels());
        compare = std::make_unique<CompareFeature>(*core, *menus);
    }
    void cleanupTestCase() {
        compare.reset();
        StopToolPanels();
    }

    void placesAndMarkersFollowSendAndGet() {
        attach(sim->devicePath());
        QCOMPARE(wordsOf(places().ram()), kSensorSet);
        QCOMPARE(places().ram()->origin, SetOrigin::Read);
        QVERIFY(!places().eeprom());
        QVERIFY(markersSettle({}));

        Click(MAIN_EEPROM);
        get();
        QCOMPARE(wordsOf(places().eeprom()), kSensorSet);
        QCOMPARE(places().eeprom()->origin, SetOrigin::Read);

        // An edit is marked, and the Send button says what it would overwrite.
        editNumeric(panelHandle, MAIN_POWER, 650);
        QVERIFY(markersSettle({0}));
        QCOMPARE(descriptionOf(panelHandle, MAIN_POWER), QString("Power, changed, not sent"));
        const QString tip = rtControlWidget(panelHandle, MAIN_SEND)->toolTip();
        QVERIFY2(tip.startsWith("Write the parameter set shown") &&
                     tip.contains("Send to EEPROM overwrites 1 value") &&
                     tip.contains("Power 700 → 650"),
                 qPrintable(tip));

        send();
        Words sent = panelWords();
        QCOMPARE(sent[0], 650);
        QCOMPARE(wordsOf(places().eeprom()), sent);
        QCOMPARE(places().eeprom()->origin, SetOrigin::Written);
        QVERIFY(markersSettle({}));
        QCOMPARE(descriptionOf(panelHandle, MAIN_POWER), QString("Power"));

        rtControlWidget(panelPopUp, POP_PIXELSTART)->findChild<QSlider *>()->setValue(300);
        QVERIFY(markersSettle({13}));
        QVERIFY(descriptionOf(panelPopUp, POP_PIXELSTART).endsWith("changed, not sent"));
        Click(MAIN_RAM);
        send();
        sent = panelWords();
        QCOMPARE(wordsOf(places().ram()), sent);
        QCOMPARE(places().ram()->origin, SetOrigin::Written);
        QVERIFY(markersSettle({}));

        // A Get shows the sensor's set again: the edit is gone, and so is its marker.
        editNumeric(panelPopUp, POP_TOLERANCE, 77);
        QVERIFY(markersSettle({9}));
        get();
        QCOMPARE(wordsOf(places().ram()), sent);
        QCOMPARE(places().ram()->origin, SetOrigin::Read);
        QVERIFY(markersSettle({}));

        const QString saved = dir.filePath("saved.dat");
        Click(MAIN_FILE);
        SetNextFileSelectAnswer(VAL_NEW_FILE_SELECTED, qPrintable(saved));
        send();
        QCOMPARE(places().files().value(0).path, saved);
        QCOMPARE(places().files().value(0).origin, SetOrigin::Written);
        QCOMPARE(places().files().value(0).words, sent);
        QCOMPARE(places().reference()->place, ParamPlace::Ram);

        // A load is kept as read, before the refresh corrects the out-of-range power.
        Words onFile = kSensorSet;
        onFile[0] = 1001;
        const QString loaded = dir.filePath("loaded.dat");
        writeSetFile(loaded, onFile);
        SetNextFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, qPrintable(loaded));
        get();
        QCOMPARE(places().files().value(0).path, loaded);
        QCOMPARE(places().files().value(0).origin, SetOrigin::Read);
        QCOMPARE(places().files().value(0).words, onFile);
        QCOMPARE(places().files().size(), 2);
        QCOMPARE(panelWords()[0], 500);
        QVERIFY(markersSettle({0}));
        Click(MAIN_RAM);
    }

    void viewHighlightsAndSummarisesOwnSets() {
        Words panels{};
        ReadPanelWords(panels.data());
        Words eeprom = panels;
        for (int w : {2, 5, 15})
            eeprom[w] = static_cast<unsigned short>(eeprom[w] + 1);
        NotifyParameterSetRead(ParamPlace::Ram, panels.data(), nullptr);
        NotifyParameterSetWritten(ParamPlace::Eeprom, eeprom.data(), nullptr);
        CompareWindow *view = compare->showWindow();
        QTRY_VERIFY(view->summary().contains("3 differences between panels and EEPROM"));

        const QStringList lines = view->summary().split('\n');
        const QString ram = StateText(*places().ram());
        const QString sentEeprom = StateText(*places().eeprom());
        QVERIFY(sentEeprom.endsWith("unconfirmed"));
        QCOMPARE(lines.value(0), "Send to RAM changes nothing: panels and RAM equal (" + ram + ")");
        QVERIFY(lines.contains("Panels and RAM equal (" + ram + ")"));
        QVERIFY(lines.contains("3 differences between panels and EEPROM (" + sentEeprom + ")"));
        QVERIFY(lines.contains("3 differences between RAM and EEPROM (RAM " + ram + "; EEPROM " +
                               sentEeprom + ")"));

        const QTableWidget *table = view->table();
        QCOMPARE(table->horizontalHeaderItem(5)->text(), "RAM\n" + ram);
        QCOMPARE(table->horizontalHeaderItem(6)->text(), "EEPROM\n" + sentEeprom);
        for (int w = 0; w < PNUM; ++w) {
            const bool differs = w == 2 || w == 5 || w == 15;
            QCOMPARE(table->item(w, 4)->text(), QString::number(panels[w]));
            QCOMPARE(table->item(w, 5)->text(), QString::number(panels[w]));
            QCOMPARE(table->item(w, 6)->text().startsWith("≠ "), differs);
            QCOMPARE(table->item(w, 6)->background().style() != Qt::NoBrush, differs);
        }

        NotifyParameterSetRead(ParamPlace::Eeprom, panels.data(), nullptr);
        QTRY_VERIFY(view->summary().contains("RAM and EEPROM equal (RAM " + ram + "; EEPROM " +
                                             StateText(*places().eeprom()) + ")"));

        const QString csv = dir.filePath("compare.csv");
        QString error;
        QVERIFY2(view->exportCsv(csv, &error), qPrintable(error));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = file.readAll().split('\n');
        QCOMPARE(rows.size(), PNUM + 2); // header, sixteen rows, the final line end
        QVERIFY(rows[0].startsWith("Word,Name,Unit,Range,Panels as a Send takes them,RAM "));
        QVERIFY(
            rows[1].startsWith(QStringLiteral("0,Power,,0–1000,%1,%1,%1").arg(panels[0]).toUtf8()));
    }

    void fileAddedToViewIsNotLoaded() {
        CompareWindow *view = compare->showWindow();
        const QString path = dir.filePath("other.dat");
        Words other = kSensorSet;
        other[4] = 1;
        writeSetFile(path, other);
        const Words variablesBefore = variables();
        const Words panelsBefore = panelWords();
        const int columns = view->table()->columnCount();

        QVERIFY(view->addFile(path));
        QCOMPARE(variables(), variablesBefore);
        QCOMPARE(panelWords(), panelsBefore);
        for (const PlacedSet &f : places().files())
            QVERIFY(f.path != path);
        QCOMPARE(view->table()->columnCount(), columns + 1);
        QVERIFY(view->table()->horizontalHeaderItem(7)->text().startsWith("other.dat\nviewed "));
        QCOMPARE(view->table()->item(4, 7)->text(), QString("≠ 1"));
        QVERIFY(view->summary().contains("between panels and other.dat (viewed "));

        QFile bad(dir.filePath("bad.dat"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("700\n1\n");
        bad.close();
        QVERIFY(!view->addFile(bad.fileName()));
        QCOMPARE(view->table()->columnCount(), columns + 1);
    }

    // With a dark palette the shaded cells of the compare view, the log's coloured rows and the
    // trend chart keep their text readable (contrast of at least 4.5, as WCAG asks of text).
    void darkPaletteKeepsTextReadable() {
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
        dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
        dark.setColor(QPalette::Base, QColor(0x24, 0x24, 0x24));
        dark.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
        const QPalette before = QApplication::palette();
        QApplication::setPalette(dark);
        const auto textOn = [&](const QVariant &foreground, const QVariant &background) {
            const QColor text = foreground.isValid() ? foreground.value<QBrush>().color()
                                                     : dark.color(QPalette::Text);
            return contrast(text, background.value<QBrush>().color());
        };

        CompareWindow *view = compare->showWindow();
        QTRY_VERIFY(textOn(view->table()->item(4, 7)->data(Qt::ForegroundRole),
                           view->table()->item(4, 7)->data(Qt::BackgroundRole)) >= 4.5);

        CommLog log;
        log.takeStatus("Echo Check - Line Ok!");
        log.takeStatus("Timeout-RS-232...");
        CommTableModel rows(log);
        rows.catchUp();
        QCOMPARE(rows.rowCount(), 2);
        for (int r = 0; r < 2; ++r) {
            const QModelIndex cell = rows.index(r, int(CommColumn::Decoding));
            QVERIFY(cell.data(Qt::BackgroundRole).isValid());
            QVERIFY2(textOn(cell.data(Qt::ForegroundRole), cell.data(Qt::BackgroundRole)) >= 4.5,
                     qPrintable(QString::number(r)));
        }

        TrendChart chart;
        chart.resize(400, 300);
        const QImage picture = chart.toPixmap().toImage();
        QCOMPARE(picture.pixelColor(2, 2), dark.color(QPalette::Base));
        QVERIFY(contrast(chart.xAxis->tickLabelColor(), dark.color(QPalette::Base)) >= 4.5);
        if (qEnvironmentVariableIsSet("RMOX_WRITE_SCREENSHOTS"))
            writeDarkScreenshot(log);
        QApplication::setPalette(before);
    }
};

QTEST_MAIN(CompareTest)
#include "test_workbench_compare.moc"
