// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/report/video_plot.h"

#include "display/graph_geometry.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

struct Range {
    double from;
    double to;
    double span() const { return to - from; }
};

// A tick step of 1, 2 or 5 times a power of ten that gives about `ticks` ticks.
double tickStep(double span, int ticks) {
    const double raw = span / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0})
        if (m * power >= raw)
            return m * power;
    return 10 * power;
}

// The graph's own scaling: the whole line on 4-pixel steps, or the window's 256 pixels.
Range pixelsOf(const VideoSnapshot &s) {
    const double first = s.positions.front();
    const double step = std::max(1, s.positions[1] - s.positions[0]);
    return {first, s.positions.back() + step};
}

class Plot {
  public:
    Plot(QImage &image, const Range &x, const Range &y) : p_(&image), x_(x), y_(y) {
        const int w = image.width();
        const int h = image.height();
        unit_ = h / 40.0;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(int(2.2 * unit_));
        p_.setFont(font);
        p_.setRenderHint(QPainter::Antialiasing);
        area_ = QRectF(QPointF(8 * unit_, 5 * unit_), QPointF(w - 2 * unit_, h - 7 * unit_));
    }

    QPointF at(double x, double y) const {
        return {area_.left() + (x - x_.from) / x_.span() * area_.width(),
                area_.bottom() - (y - y_.from) / y_.span() * area_.height()};
    }

    void axes() {
        const QPen grid(QColor(200, 200, 200), unit_ / 8);
        const QPen text(Qt::black);
        const double xs = tickStep(x_.span(), 8);
        for (double x = std::ceil(x_.from / xs) * xs; x <= x_.to; x += xs) {
            p_.setPen(grid);
            p_.drawLine(at(x, y_.from), at(x, y_.to));
            p_.setPen(text);
            p_.drawText(
                QRectF(at(x, y_.from) + QPointF(-5 * unit_, unit_), QSizeF(10 * unit_, 3 * unit_)),
                Qt::AlignHCenter | Qt::AlignTop, QString::number(x));
        }
        const double ys = tickStep(y_.span(), 5);
        for (double y = 0; y <= y_.to; y += ys) {
            p_.setPen(grid);
            p_.drawLine(at(x_.from, y), at(x_.to, y));
            p_.setPen(text);
            p_.drawText(QRectF(at(x_.from, y) + QPointF(-7 * unit_, -1.5 * unit_),
                               QSizeF(6 * unit_, 3 * unit_)),
                        Qt::AlignRight | Qt::AlignVCenter, QString::number(y));
        }
        p_.setPen(QPen(Qt::black, unit_ / 5));
        p_.setBrush(Qt::NoBrush);
        p_.drawRect(area_);
        p_.setPen(text);
        p_.drawText(QRectF(area_.left(), area_.bottom() + 3.5 * unit_, area_.width(), 3 * unit_),
                    Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("pixel"));
        p_.save();
        p_.translate(1.5 * unit_, area_.center().y());
        p_.rotate(-90);
        p_.drawText(QRectF(-10 * unit_, -1.5 * unit_, 20 * unit_, 3 * unit_), Qt::AlignCenter,
                    QStringLiteral("level"));
        p_.restore();
    }

    void curve(const VideoSnapshot &s, const std::array<std::uint16_t, kVideoSamples> &values,
               const QPen &pen) {
        QPainterPath path(at(s.positions[0], values[0]));
        for (std::size_t i = 1; i < values.size(); ++i)
            path.lineTo(at(s.positions[i], values[i]));
        p_.setPen(pen);
        p_.setBrush(Qt::NoBrush);
        p_.save();
        p_.setClipRect(area_);
        p_.drawPath(path);
        p_.restore();
    }

    // The legend above the plot area, each entry with a piece of its line.
    void legend(const QList<QPair<QPen, QString>> &entries) {
        double x = area_.left();
        const double y = area_.top() - 2.5 * unit_;
        for (const auto &[pen, label] : entries) {
            p_.setPen(pen);
            p_.drawLine(QPointF(x, y), QPointF(x + 6 * unit_, y));
            p_.setPen(Qt::black);
            const QRectF box(x + 7 * unit_, y - 1.5 * unit_, 40 * unit_, 3 * unit_);
            QRectF used;
            p_.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, label, &used);
            x = used.right() + 4 * unit_;
        }
    }

    double unit() const { return unit_; }

  private:
    QPainter p_;
    Range x_;
    Range y_;
    QRectF area_;
    double unit_;
};

QString thresholdText(const VideoSnapshot &s) {
    const auto [low, high] = std::minmax_element(s.thresholds.begin(), s.thresholds.end());
    return *low == *high ? QStringLiteral("threshold %1").arg(*low)
                         : QStringLiteral("threshold %1–%2").arg(*low).arg(*high);
}

} // namespace

QImage VideoPlot(const VideoSnapshot &snapshot, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        Plot plot(image, pixelsOf(snapshot), {0.0, kVideoLevelMax});
        plot.axes();
        const QPen signal(Qt::black, plot.unit() / 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        QPen threshold(QColor(60, 60, 60), plot.unit() / 3, Qt::CustomDashLine, Qt::FlatCap);
        threshold.setDashPattern({4, 2.5});
        plot.curve(snapshot, snapshot.samples, signal);
        plot.curve(snapshot, snapshot.thresholds, threshold);
        plot.legend(
            {{signal, QStringLiteral("video signal")}, {threshold, thresholdText(snapshot)}});
    }
    return image.convertToFormat(QImage::Format_Grayscale8);
}
