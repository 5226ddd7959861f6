// SPDX-License-Identifier: GPL-3.0-or-later
// View → Live trend: the strip chart of the live values with its controls (pause, the span to
// follow, record, clear, copy), the cursors' readout and the statistics. It redraws once a
// second, only while it is shown and only when there is something new. While frames
// come, a redraw waits for the next one: the operation has then just sent its next request,
// and drawing while the sensor answers it delays nothing.
// The same window shows a recording read from a file: it owns those frames, shows them in the
// file's unit, and has no pause, recording or clearing, as nothing more comes.
#pragma once

#include "workbench/shared/window_memory.h"
#include "workbench/trend/trend_store.h"

#include <QTimer>
#include <QWidget>
#include <memory>

class QAction;
class QButtonGroup;
class QLabel;
class QToolButton;
class TrendChart;

class TrendWindow : public QWidget, public KeepsSettings {
    Q_OBJECT
  public:
    enum class Span { LastMinute, LastTenMinutes, All };

    // `record` is the recording's on/off action, shared with the File menu.
    TrendWindow(TrendStore &store, QAction *record, QWidget *parent);
    // A recording read from a file, in `unit`, over its whole span.
    TrendWindow(std::unique_ptr<TrendStore> recording, Unit unit, QWidget *parent);

    // Follows the newest frames over `span`.
    void follow(Span span);
    void setPaused(bool paused);
    // Draws what came since the last time.
    void refresh();
    // A live frame went into the store.
    void frameArrived();
    // The line about the recording under the chart; for a file, what it holds.
    void setRecordingText(const QString &text);
    QString statisticsText() const;
    TrendChart *chart() const { return chart_; }
    // The span it follows.
    void saveSettings(QSettings &settings) const override;

  protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    struct Drawn {
        std::int64_t revision = -1;
        Millis from = 0, to = 0;
        Unit unit = Unit::Pixels;
        bool operator==(const Drawn &) const = default;
    };

    TrendWindow(TrendStore &store, QAction *record, std::unique_ptr<TrendStore> &&recording,
                Unit unit, QWidget *parent);
    bool live() const { return !recording_; }
    Unit unit() const;
    QWidget *makeControls(QAction *record);
    QToolButton *addButton(QWidget *bar, const QString &text, const QString &name);
    void tick();
    void clearTrend();
    Millis newestShown() const;
    void updateStatistics(const Drawn &shown, Millis to);
    void updateReadout();
    void putCursor(int which, const std::optional<TrendFrame> &frame);

    std::unique_ptr<TrendStore> recording_; // the frames of a file; none when live
    TrendStore &store_;
    TrendChart *chart_;
    QLabel *readout_;
    QLabel *statistics_;
    QLabel *recordingText_;
    QButtonGroup *spans_;
    QToolButton *pause_ = nullptr;
    QTimer timer_;
    Span span_ = Span::LastMinute;
    bool following_ = true;
    bool paused_ = false;
    Millis pausedAtMs_ = 0;
    std::int64_t pausedRevision_ = 0;
    Drawn drawn_;
    std::int64_t tickRevision_ = -1;
    bool due_ = false;         // a redraw waits for the next frame
    Unit unit_ = Unit::Pixels; // of what is drawn
};
