// SPDX-License-Identifier: GPL-3.0-or-later
// Graph control: draws a GraphModel with QPainter (curves, filled rectangles, cursors, axes
// with ticks). Any number of model changes between two paints costs one paint, of the pixels
// that changed: a live frame that moves an edge by a pixel repaints a few columns, not the
// whole plot.
#pragma once

#include "../graph_model.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QWidget>

#include <memory>
#include <optional>

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
    ~RtGraph() override;

    // The items as drawn, in pixels.
    struct Scene;

    const GraphModel &model() const { return model_; }
    // Gives write access and schedules one repaint of what changed.
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
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

  private:
    // Everything the background depends on.
    struct BackgroundKey {
        QSize size;
        qreal pixelRatio = 0;
        GraphAxis xAxis, yAxis;
        QString xLabel, yLabel;
        QFont font;
        QRgb window = 0, text = 0, plot = 0;
        bool operator==(const BackgroundKey &other) const;
    };
    BackgroundKey backgroundKey() const;
    bool renderBackground();
    Scene sceneOfModel() const;
    // Asks for a repaint of the pixels that changed since the last time.
    void repaintChanges();

    GraphModel model_;
    // Background, grid and axes, drawn once for a size, ranges and looks: a live frame changes
    // only plots and cursors.
    QPixmap background_;
    std::optional<BackgroundKey> backgroundKey_;
    QRect plotArea_;
    // Where plots and cursors are drawn: what a model change repaints.
    QRect dataArea_;
    static constexpr int kDataAreaReach = 10;
    // The scene as of the last repaint asked for; empty when the next is to be whole.
    std::unique_ptr<Scene> scheduled_;
    bool changePosted_ = false;
    QString xLabel_;
    QString yLabel_;
    QColor plotBackground_{0x10, 0x18, 0x20};
    QColor cursorColor_{Qt::yellow};
    int paintCount_ = 0;
};
