// SPDX-License-Identifier: GPL-3.0-or-later
// Graph control: draws a GraphModel with QPainter (curves, filled rectangles, cursors, axes
// with ticks). Model changes call update(), so any number of them between two paints costs
// one paint.
#pragma once

#include "../graph_model.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>

class RtGraph : public QWidget {
    Q_OBJECT
    // Axis ranges and looks as set in the panel file.
    Q_PROPERTY(double xMin READ xMin WRITE setXMin)
    Q_PROPERTY(double xMax READ xMax WRITE setXMax)
    Q_PROPERTY(double yMin READ yMin WRITE setYMin)
    Q_PROPERTY(double yMax READ yMax WRITE setYMax)
    Q_PROPERTY(QString xLabel READ xLabel WRITE setXLabel)
    Q_PROPERTY(QString yLabel READ yLabel WRITE setYLabel)
    Q_PROPERTY(QColor plotBackground READ plotBackground WRITE setPlotBackground)
    Q_PROPERTY(QColor cursorColor READ cursorColor WRITE setCursorColor)

  public:
    explicit RtGraph(QWidget *parent = nullptr);

    const GraphModel &model() const { return model_; }
    // Gives write access and schedules one repaint.
    GraphModel &editModel();

    double xMin() const { return model_.xAxis.min; }
    double xMax() const { return model_.xAxis.max; }
    double yMin() const { return model_.yAxis.min; }
    double yMax() const { return model_.yAxis.max; }
    void setXMin(double v);
    void setXMax(double v);
    void setYMin(double v);
    void setYMax(double v);
    QString xLabel() const { return xLabel_; }
    QString yLabel() const { return yLabel_; }
    void setXLabel(const QString &s);
    void setYLabel(const QString &s);
    QColor plotBackground() const { return plotBackground_; }
    void setPlotBackground(const QColor &c);
    QColor cursorColor() const { return cursorColor_; }
    void setCursorColor(const QColor &c);

    // Number of paintEvent calls so far (lets tests check that repaints coalesce).
    int paintCount() const { return paintCount_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QString backgroundKey() const;
    bool renderBackground();

    GraphModel model_;
    // Background, grid and axes, drawn once for a size, ranges and looks: a live frame changes
    // only plots and cursors.
    QPixmap background_;
    QString backgroundKey_;
    QRect plotArea_;
    // Where plots and cursors are drawn: what a model change repaints.
    QRect dataArea_;
    static constexpr int kDataAreaReach = 10;
    QString xLabel_;
    QString yLabel_;
    QColor plotBackground_{0x10, 0x18, 0x20};
    QColor cursorColor_{Qt::yellow};
    int paintCount_ = 0;
};
