// SPDX-License-Identifier: GPL-3.0-or-later
// The live trend's strip chart: the first edge, the second edge, the third value and the teach
// value against time, with the tolerance band. It draws at most a few points per pixel column
// however many frames the span holds: each column gets the lowest and the highest value of the
// frames (or older buckets) that fall into it. Two cursors, A (left click) and B (right click),
// mark frames to read values at; the wheel zooms and dragging pans the time axis; a click on
// a legend entry hides or shows that curve. With the keyboard, the arrow keys move cursor A
// (with Shift cursor B) frame by frame and + and − zoom. Its colours follow the palette.
#pragma once

#include "workbench/trend/trend_store.h"

#include <array>
#include <optional>
#include <qcustomplot.h>

class TrendChart : public QCustomPlot {
    Q_OBJECT
  public:
    explicit TrendChart(QWidget *parent = nullptr);

    // Draws the store's frames between `from` and `to` in `unit` (without replotting).
    void drawFrames(const TrendStore &store, Millis from, Millis to, Unit unit);
    // Sets the time axis without it counting as the user's zoom or pan.
    void showSpan(Millis from, Millis to);
    Millis spanFrom() const;
    Millis spanTo() const;

    std::optional<Millis> cursorA() const { return cursorMs_[0]; }
    std::optional<Millis> cursorB() const { return cursorMs_[1]; }
    // Draws cursor A (0) or B (1) at `ms`.
    void placeCursor(int which, Millis ms);
    void clearCursors();

  signals:
    // The user zoomed or panned the time axis.
    void spanMovedByUser();
    // A click asked for cursor A (0) or B (1) at `ms`; the owner places it on a frame.
    void cursorPicked(int which, Millis ms);
    // An arrow key asked for cursor A (0) or B (1, with Shift) on the next or previous frame.
    void cursorStepped(int which, bool later);
    // A curve was hidden or shown.
    void curvesToggled();

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    struct Column;
    void followPalette();
    void setUpAxes();
    void addCurves();
    void mouseReleasedAt(QMouseEvent *event);
    void toggleCurve(QCPAbstractLegendItem *item);
    void fitValueAxis(double low, double high);

    std::array<QCPGraph *, kLiveChannels> graphs_{}; // by channel; no graph for the tolerance
    std::array<QVector<QCPGraphData>, kLiveChannels> points_;
    std::array<QCPItemStraightLine *, 2> cursors_{};
    std::array<QCPItemText *, 2> cursorLabels_{};
    std::array<std::optional<Millis>, 2> cursorMs_;
    QPoint pressedAt_;
    bool settingSpan_ = false;
};
