// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/trend/trend_window.h"

#include "workbench/shared/close_button.h"
#include "workbench/shared/session_replay.h"
#include "workbench/trend/trend_chart.h"
#include "workbench/trend/trend_statistics.h"

#include <QAction>
#include <QButtonGroup>
#include <QClipboard>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

// Once a second, as a chart recorder: a redraw of the chart with its statistics costs one to two
// milliseconds, and the trend is read over minutes while the main graph shows every frame.
constexpr int kRefreshMs = 1000;
constexpr Millis kMinuteMs = 60 * 1000;
constexpr Millis kLeastSpanMs = 1000;
const QString kReadoutHint = QStringLiteral(
    "Left click or ←/→: cursor A · right click or Shift+←/→: cursor B · wheel or +/−: zoom · "
    "drag: pan · click a legend entry to hide its curve");
const char *const kReadoutNames[kStatChannels] = {"first edge", "second edge", "third value",
                                                  "teach value"};

QString timeOf(Millis ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss.zzz"));
}

// Whole numbers as they are, means of older stretches with one decimal.
QString numberOf(double v, bool sign = false) {
    QString text = QString::number(v, 'f', v == std::floor(v) ? 0 : 1);
    return sign && v > 0 ? '+' + text : text;
}

QString readingOf(const char *cursor, const TrendFrame &f, Millis wallMs, Unit unit) {
    QStringList values;
    for (int c = 0; c < kStatChannels; ++c)
        values << QStringLiteral("%1 %2")
                      .arg(QString::fromUtf8(kReadoutNames[c]))
                      .arg(numberOf(f.values.in(unit)[std::size_t(c)]));
    return QStringLiteral("%1 %2: %3")
        .arg(QString::fromUtf8(cursor), timeOf(wallMs), values.join(", "));
}

QString differenceOf(const TrendFrame &a, const TrendFrame &b, Unit unit) {
    QStringList values;
    for (int c = 0; c < kStatChannels; ++c)
        values << QStringLiteral("%1 %2")
                      .arg(QString::fromUtf8(kReadoutNames[c]))
                      .arg(numberOf(double(b.values.in(unit)[std::size_t(c)]) -
                                        double(a.values.in(unit)[std::size_t(c)]),
                                    true));
    return QStringLiteral("B − A: %1 s; %2")
        .arg(double(b.ms - a.ms) / 1000.0, 0, 'f', 3)
        .arg(values.join(", "));
}

} // namespace

TrendWindow::TrendWindow(TrendStore &store, QAction *record, QWidget *parent)
    : TrendWindow(store, record, nullptr, Unit::Pixels, parent) {}

TrendWindow::TrendWindow(std::unique_ptr<TrendStore> recording, Unit unit, QWidget *parent)
    : TrendWindow(*recording, nullptr, std::move(recording), unit, parent) {}

TrendWindow::TrendWindow(TrendStore &store, QAction *record,
                         std::unique_ptr<TrendStore> &&recording, Unit unit, QWidget *parent)
    : QWidget(parent, Qt::Window), recording_(std::move(recording)), store_(store),
      chart_(new TrendChart(this)), readout_(new QLabel(this)), statistics_(new QLabel(this)),
      recordingText_(new QLabel(this)), unit_(unit) {
    setWindowTitle(QStringLiteral("Live trend"));
    setAccessibleName(QStringLiteral("Live trend"));
    // Named apart from the live trend, so that the workbench does not remember it as that one.
    setObjectName(live() ? QStringLiteral("Live trend") : QStringLiteral("Live trend recording"));
    resize(960, 700);
    chart_->setMinimumHeight(300);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // The statistics are renewed every second and copied with their own button: as selectable
    // text each renewal would lay out a whole text document.
    for (QLabel *label : {readout_, recordingText_})
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    statistics_->setFont(fixed);
    statistics_->setTextFormat(Qt::PlainText);
    statistics_->setAccessibleName(QStringLiteral("Statistics"));
    readout_->setAccessibleName(QStringLiteral("Cursor readout"));
    readout_->setObjectName(readout_->accessibleName());
    readout_->setText(kReadoutHint);
    recordingText_->setAccessibleName(QStringLiteral("Recording"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new ReplayBanner(this));
    layout->addWidget(makeControls(record));
    layout->addWidget(chart_, 1);
    layout->addWidget(readout_);
    layout->addWidget(statistics_);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(recordingText_, 1);
    bottom->addWidget(AddCloseButton(this));
    layout->addLayout(bottom);
    timer_.setInterval(kRefreshMs);
    timer_.callOnTimeout(this, &TrendWindow::tick);
    connect(chart_, &TrendChart::spanMovedByUser, this, [this] {
        following_ = false;
        refresh();
    });
    connect(chart_, &TrendChart::curvesToggled, this, [this] {
        drawn_ = {};
        refresh();
    });
    if (live()) {
        QSettings settings = WorkbenchSettings();
        follow(Span(std::clamp(
            settings.value(SettingsGroup(objectName()) + QStringLiteral("/span"), int(span_))
                .toInt(),
            int(Span::LastMinute), int(Span::All))));
    } else {
        follow(Span::All);
    }
    connect(chart_, &TrendChart::cursorPicked, this,
            [this](int which, Millis ms) { putCursor(which, store_.nearest(ms)); });
    connect(chart_, &TrendChart::cursorStepped, this, [this](int which, bool later) {
        const std::optional<Millis> at = which == 0 ? chart_->cursorA() : chart_->cursorB();
        putCursor(which, at ? store_.neighbour(*at, later) : store_.nearest(newestShown()));
    });
}

// A cursor stands on a frame, so that its line and its readout show the same one.
void TrendWindow::putCursor(int which, const std::optional<TrendFrame> &frame) {
    if (!frame)
        return;
    chart_->placeCursor(which, frame->ms);
    updateReadout();
}

QToolButton *TrendWindow::addButton(QWidget *bar, const QString &text, const QString &name) {
    auto *button = new QToolButton(bar);
    button->setText(text);
    button->setAccessibleName(name);
    button->setObjectName(name);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->layout()->addWidget(button);
    return button;
}

QWidget *TrendWindow::makeControls(QAction *record) {
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    if (live()) {
        pause_ = addButton(bar, QStringLiteral("&Pause"), QStringLiteral("Pause"));
        pause_->setCheckable(true);
        connect(pause_, &QToolButton::toggled, this, &TrendWindow::setPaused);
    }
    spans_ = new QButtonGroup(this);
    const std::pair<Span, QString> spans[] = {
        {Span::LastMinute, QStringLiteral("Last &1 min")},
        {Span::LastTenMinutes, QStringLiteral("Last 1&0 min")},
        {Span::All, QStringLiteral("&All")}};
    for (const auto &[span, text] : spans) {
        QToolButton *b = addButton(bar, text, QString(text).remove('&'));
        b->setCheckable(true);
        b->setChecked(span == span_);
        spans_->addButton(b, int(span));
    }
    // A click on the chosen span again returns to following it after a zoom or pan.
    connect(spans_, &QButtonGroup::idClicked, this, [this](int id) { follow(Span(id)); });
    if (live()) {
        row->addSpacing(12);
        QToolButton *recordButton = addButton(bar, QString(), QStringLiteral("Record"));
        recordButton->setDefaultAction(record);
        connect(addButton(bar, QStringLiteral("&Clear"), QStringLiteral("Clear")),
                &QToolButton::clicked, this, &TrendWindow::clearTrend);
    }
    row->addStretch(1);
    connect(addButton(bar, QStringLiteral("Copy c&hart"), QStringLiteral("Copy chart")),
            &QToolButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setPixmap(chart_->toPixmap()); });
    connect(addButton(bar, QStringLiteral("Copy &statistics"), QStringLiteral("Copy statistics")),
            &QToolButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(statisticsText()); });
    return bar;
}

void TrendWindow::saveSettings(QSettings &settings) const {
    settings.setValue(QStringLiteral("span"), int(span_));
}

void TrendWindow::follow(Span span) {
    span_ = span;
    following_ = true;
    spans_->button(int(span))->setChecked(true);
    refresh();
}

void TrendWindow::setPaused(bool paused) {
    if (paused && !store_.empty()) {
        pausedAtMs_ = store_.lastMs();
        pausedRevision_ = store_.revision();
    }
    paused_ = paused && !store_.empty();
    if (pause_ && pause_->isChecked() != paused_)
        pause_->setChecked(paused_);
    refresh();
}

void TrendWindow::setRecordingText(const QString &text) {
    recordingText_->setText(text);
}

void TrendWindow::clearTrend() {
    store_.clear();
    chart_->clearCursors();
    setPaused(false);
    drawn_ = {};
    chart_->drawFrames(store_, 0, 0, unit_);
    chart_->replot(QCustomPlot::rpQueuedReplot);
    updateReadout();
    statistics_->clear();
}

void TrendWindow::tick() {
    const bool flowing = store_.revision() != tickRevision_;
    tickRevision_ = store_.revision();
    if (flowing)
        due_ = true;
    else
        refresh();
}

// Queued: the redraw runs in the event processing that follows the operation's next request.
void TrendWindow::frameArrived() {
    if (!due_)
        return;
    due_ = false;
    QMetaObject::invokeMethod(this, &TrendWindow::refresh, Qt::QueuedConnection);
}

// Live, as the main panel's unit switch shows; a file's own otherwise.
Unit TrendWindow::unit() const {
    return live() ? ShownUnit() : unit_;
}

Millis TrendWindow::newestShown() const {
    return paused_ ? pausedAtMs_ : store_.lastMs();
}

void TrendWindow::refresh() {
    if (store_.empty()) {
        statistics_->setText(QStringLiteral("Waiting for live frames: start Run or Data."));
        return;
    }
    const Unit unit = this->unit();
    const Millis newest = newestShown();
    if (following_) {
        const Millis from = span_ == Span::All          ? store_.firstMs()
                            : span_ == Span::LastMinute ? newest - kMinuteMs
                                                        : newest - 10 * kMinuteMs;
        chart_->showSpan(from, std::max(newest, from + kLeastSpanMs));
    }
    const Drawn now{paused_ ? pausedRevision_ : store_.revision(), chart_->spanFrom(),
                    chart_->spanTo(), unit};
    const Millis to = std::min(now.to, newest);
    if (now == drawn_)
        return;
    const bool unitChanged = unit != unit_;
    unit_ = unit;
    chart_->drawFrames(store_, now.from, to, unit);
    updateStatistics(now, to);
    if (unitChanged)
        updateReadout();
    chart_->replot(QCustomPlot::rpImmediateRefresh);
    drawn_ = now;
}

void TrendWindow::updateStatistics(const Drawn &shown, Millis to) {
    statistics_->setText(AlignedStatistics(
        {{QStringLiteral("Visible span"), store_.over(shown.from, to, shown.unit)},
         {QStringLiteral("Whole recording"), store_.whole(shown.unit)}},
        shown.unit));
}

QString TrendWindow::statisticsText() const {
    if (store_.empty())
        return QString();
    const Unit unit = this->unit();
    return TabSeparatedStatistics(
        {{QStringLiteral("Visible span"),
          store_.over(chart_->spanFrom(), std::min(chart_->spanTo(), newestShown()), unit)},
         {QStringLiteral("Whole recording"), store_.whole(unit)}},
        unit);
}

// A frame that has since gone into an older stretch moves its cursor to that stretch's middle.
void TrendWindow::updateReadout() {
    const auto a = chart_->cursorA() ? store_.nearest(*chart_->cursorA()) : std::nullopt;
    const auto b = chart_->cursorB() ? store_.nearest(*chart_->cursorB()) : std::nullopt;
    if (!a && !b) {
        readout_->setText(kReadoutHint);
        return;
    }
    QStringList lines;
    if (a) {
        chart_->placeCursor(0, a->ms);
        lines << readingOf("A", *a, store_.wallOf(a->ms), unit_);
    }
    if (b) {
        chart_->placeCursor(1, b->ms);
        lines << readingOf("B", *b, store_.wallOf(b->ms), unit_);
    }
    if (a && b)
        lines << differenceOf(*a, *b, unit_);
    lines.last() += QStringLiteral(" (%1)").arg(QString::fromUtf8(UnitSymbol(unit_)));
    readout_->setText(lines.join('\n'));
}

void TrendWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    chart_->setFocus();
    drawn_ = {};
    refresh();
    if (live())
        timer_.start();
}

void TrendWindow::hideEvent(QHideEvent *event) {
    timer_.stop();
    due_ = false;
    QWidget::hideEvent(event);
}
