// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/videosignal/signal_window.h"

#include "app/tool_api.h"
#include "runtime/safe_file.h"
#include "workbench/shared/close_button.h"
#include "workbench/shared/save_dialog.h"
#include "workbench/shared/session_replay.h"
#include "workbench/shared/shades.h"
#include "workbench/videosignal/figures_text.h"
#include "workbench/videosignal/waterfall_view.h"

#include <QBuffer>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// As a chart recorder: the signals come about three times a second and the figures are read
// over seconds, while the video graph shows every signal.
constexpr int kRefreshMs = 1000;
// The waterfall costs a few milliseconds to draw and moves by about a row a second when it
// spans 10 minutes: it is renewed every other time.
constexpr int kWaterfallTicks = 2;

QString timeOf(const QDateTime &at) {
    return at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool writeFile(const QString &path, const QByteArray &bytes, QString *error) {
    QString why;
    if (WriteWholeFile(path, bytes, &why))
        return true;
    *error = QStringLiteral("Cannot write %1: %2").arg(path, why);
    return false;
}

} // namespace

SignalWindow::SignalWindow(const SignalHistory &history, QWidget *parent)
    : QWidget(parent, Qt::Window), history_(history), source_(new QLabel(this)),
      missing_(new QLabel(this)), crossings_(new QTableWidget(0, 3, this)),
      threshold_(new QLabel(this)),
      useSuggested_(new QPushButton(QStringLiteral("&Use suggested threshold"), this)),
      backToLive_(new QPushButton(QStringLiteral("&Back to live signals"), this)),
      waterfall_(new WaterfallView(history, this)) {
    setWindowTitle(QStringLiteral("Video signal analysis"));
    setAccessibleName(QStringLiteral("Video signal analysis"));
    setObjectName(QStringLiteral("Video signal analysis"));
    resize(1100, 860);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new ReplayBanner(this));
    layout->addWidget(source_);
    auto *top = new QHBoxLayout;
    top->addWidget(makeFigures());
    crossings_->setHorizontalHeaderLabels({QStringLiteral("Crossing (px)"),
                                           QStringLiteral("Direction"),
                                           QStringLiteral("Moves per noise width (px)")});
    crossings_->setAccessibleName(QStringLiteral("Threshold crossings"));
    crossings_->setToolTip(
        QStringLiteral("Where the signal crosses its threshold, interpolated between samples, in "
                       "the positions the video graph and the saved CSV use; and how far each "
                       "crossing moves when the threshold moves by one noise width (the noise, "
                       "at least 1 level): the smaller, the steadier the edge."));
    crossings_->verticalHeader()->hide();
    crossings_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Sized once to the headers: sizing to the contents on every renewal costs a layout of
    // every cell.
    crossings_->resizeColumnsToContents();
    top->addWidget(crossings_, 1);
    layout->addLayout(top);
    layout->addWidget(makeThresholdRow());
    layout->addWidget(waterfall_, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(makeSaveRow());
    bottom->addStretch(1);
    bottom->addWidget(AddCloseButton(this));
    layout->addLayout(bottom);
    timer_.setInterval(kRefreshMs);
    timer_.callOnTimeout(this, &SignalWindow::tick);
    refresh();
}

QWidget *SignalWindow::makeFigures() {
    auto *box = new QWidget(this);
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kFigureCount; ++i) {
        const auto figure = Figure(i);
        auto *name = new QLabel(NameOf(figure), box);
        values_[std::size_t(i)] = new QLabel(box);
        verdicts_[std::size_t(i)] = new QLabel(box);
        verdicts_[std::size_t(i)]->setAutoFillBackground(true);
        verdicts_[std::size_t(i)]->setMargin(2);
        const QString tip = MeaningOf(figure) + QStringLiteral("\nVerdict: ") + LimitsOf(figure) +
                            QStringLiteral(".\nNo verdict when the signal has no dark or no "
                                           "bright part.");
        for (QLabel *label : {name, values_[std::size_t(i)], verdicts_[std::size_t(i)]}) {
            label->setToolTip(tip);
            label->setAccessibleDescription(tip);
        }
        values_[std::size_t(i)]->setAccessibleName(NameOf(figure));
        verdicts_[std::size_t(i)]->setAccessibleName(NameOf(figure) + QStringLiteral(" verdict"));
        grid->addWidget(name, i, 0);
        grid->addWidget(values_[std::size_t(i)], i, 1);
        grid->addWidget(verdicts_[std::size_t(i)], i, 2);
    }
    grid->addWidget(missing_, kFigureCount, 0, 1, 3);
    return box;
}

QWidget *SignalWindow::makeThresholdRow() {
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    threshold_->setToolTip(QStringLiteral(
        "The suggested threshold lies midway between floor and plateau: the widest margin on "
        "both sides, in levels and, with the same noise in both parts, in noise widths."));
    useSuggested_->setToolTip(QStringLiteral(
        "Puts the suggested threshold into the Video threshold field, as if typed. It reaches "
        "the sensor only with Send."));
    connect(useSuggested_, &QPushButton::clicked, this, [this] {
        if (shown_.suggestedThreshold)
            ToolTypeVideoThreshold(*shown_.suggestedThreshold);
    });
    backToLive_->setVisible(false);
    connect(backToLive_, &QPushButton::clicked, this, [this] {
        showingSaved_ = false;
        backToLive_->setVisible(false);
        refresh();
    });
    layout->addWidget(threshold_);
    layout->addWidget(useSuggested_);
    layout->addStretch(1);
    layout->addWidget(backToLive_);
    return row;
}

QWidget *SignalWindow::makeSaveRow() {
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *picture = new QPushButton(QStringLiteral("Save &picture…"), row);
    auto *figures = new QPushButton(QStringLiteral("Save &figures…"), row);
    picture->setToolTip(QStringLiteral("The waterfall with its trends as PNG"));
    figures->setToolTip(QStringLiteral("Every kept signal's figures as CSV, one row a signal"));
    connect(picture, &QPushButton::clicked, this, [this] {
        AskSavePath(this, QStringLiteral("Save video signal picture"),
                    TimedFileName(QStringLiteral("video-waterfall"), QDateTime::currentDateTime(),
                                  QStringLiteral("png")),
                    QStringLiteral("PNG images (*.png)"), [this](const QString &path) {
                        QString error;
                        if (!savePicture(path, &error))
                            ShowProblem(this, QStringLiteral("Save video signal picture"), error);
                    });
    });
    connect(figures, &QPushButton::clicked, this, [this] {
        AskSavePath(this, QStringLiteral("Save video signal figures"),
                    TimedFileName(QStringLiteral("video-figures"), QDateTime::currentDateTime(),
                                  QStringLiteral("csv")),
                    QStringLiteral("CSV files (*.csv)"), [this](const QString &path) {
                        QString error;
                        if (!saveFigures(path, &error))
                            ShowProblem(this, QStringLiteral("Save video signal figures"), error);
                    });
    });
    layout->addWidget(picture);
    layout->addWidget(figures);
    return row;
}

void SignalWindow::showSaved(const VideoSnapshot &signal, const QString &path) {
    showingSaved_ = true;
    backToLive_->setVisible(true);
    showFigures(AnalyseSignal(signal),
                QStringLiteral("Saved signal %1 (file written %2)").arg(path, timeOf(signal.at)));
}

void SignalWindow::signalArrived() {
    if (isVisible() && !timer_.isActive())
        timer_.start();
}

void SignalWindow::tick() {
    const qint64 revision = history_.revision();
    if (revision == drawnRevision_) {
        timer_.stop();
        if (waterfallRevision_ != revision)
            drawWaterfall();
        return;
    }
    showNewest();
    if (++ticks_ % kWaterfallTicks == 0)
        drawWaterfall();
}

void SignalWindow::refresh() {
    showNewest();
    drawWaterfall();
}

void SignalWindow::drawWaterfall() {
    waterfallRevision_ = history_.revision();
    waterfall_->update();
}

void SignalWindow::showNewest() {
    drawnRevision_ = history_.revision();
    if (showingSaved_)
        return;
    if (history_.empty()) {
        showNothing();
        return;
    }
    const HistoryLine &newest = history_.lines().back();
    showFigures(newest.figures,
                QStringLiteral("Last signal Data read, at %1").arg(timeOf(newest.signal.at)));
}

void SignalWindow::showNothing() {
    shown_ = {};
    source_->setText(QStringLiteral("No video signal yet: Data reads them."));
    for (int i = 0; i < kFigureCount; ++i) {
        values_[std::size_t(i)]->clear();
        verdicts_[std::size_t(i)]->clear();
    }
    missing_->clear();
    threshold_->clear();
    useSuggested_->setEnabled(false);
    crossings_->setRowCount(0);
}

void SignalWindow::showFigures(const SignalFigures &f, const QString &source) {
    shown_ = f;
    source_->setText(source);
    for (int i = 0; i < kFigureCount; ++i) {
        const Verdict verdict = VerdictOf(f, Figure(i));
        values_[std::size_t(i)]->setText(ValueText(f, Figure(i)));
        QLabel *label = verdicts_[std::size_t(i)];
        // A new palette costs the label a polish: it is given only when the verdict changes.
        if (label->text() == NameOf(verdict))
            continue;
        label->setText(NameOf(verdict));
        QPalette p = palette();
        if (verdict == Verdict::Poor || verdict == Verdict::Marginal)
            p.setColor(QPalette::Window,
                       ShadeOf(p, verdict == Verdict::Poor ? Shade::Problem : Shade::Notice));
        label->setPalette(p);
    }
    missing_->setText(MissingPartText(f));
    threshold_->setText(
        f.suggestedThreshold
            ? QStringLiteral("Threshold of this signal: %1 · suggested: %2")
                  .arg(f.threshold)
                  .arg(*f.suggestedThreshold)
            : QStringLiteral("Threshold of this signal: %1 · no suggestion").arg(f.threshold));
    useSuggested_->setEnabled(f.suggestedThreshold.has_value());
    crossings_->setRowCount(int(f.crossings.size()));
    for (int r = 0; r < f.crossings.size(); ++r) {
        const Crossing &c = f.crossings[r];
        const QStringList cells = {QString::number(c.positionPx, 'f', 2),
                                   c.rising ? QStringLiteral("rising") : QStringLiteral("falling"),
                                   QString::number(c.movePerNoisePx, 'f', 3)};
        for (int col = 0; col < cells.size(); ++col) {
            if (QTableWidgetItem *item = crossings_->item(r, col)) {
                item->setText(cells[col]);
                continue;
            }
            auto *item = new QTableWidgetItem(cells[col]);
            item->setTextAlignment(col == 1 ? Qt::AlignLeft | Qt::AlignVCenter
                                            : Qt::AlignRight | Qt::AlignVCenter);
            crossings_->setItem(r, col, item);
        }
    }
}

bool SignalWindow::savePicture(const QString &path, QString *error) const {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !waterfall_->grab().save(&buffer, "PNG")) {
        *error = QStringLiteral("Cannot write %1: the picture could not be made").arg(path);
        return false;
    }
    return writeFile(path, png, error);
}

bool SignalWindow::saveFigures(const QString &path, QString *error) const {
    return writeFile(path, FiguresCsv(history_), error);
}

void SignalWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    refresh();
}

void SignalWindow::hideEvent(QHideEvent *event) {
    timer_.stop();
    QWidget::hideEvent(event);
}
