// SPDX-License-Identifier: GPL-3.0-or-later
// View → Video signal analysis: the figures of the last video signal with their verdicts, its
// threshold crossings, the suggested threshold beside the signal's own, and the waterfall of
// the last 10 minutes with the figures' trends. It follows the signals Data reads while it is
// shown: the figures once a second, the waterfall every other second. A signal opened from a
// file stays until **Back to live signals**.
#pragma once

#include "workbench/videosignal/signal_history.h"

#include <QTimer>
#include <QWidget>
#include <array>

class QLabel;
class QPushButton;
class QTableWidget;
class WaterfallView;

class SignalWindow : public QWidget {
    Q_OBJECT
  public:
    SignalWindow(const SignalHistory &history, QWidget *parent);

    // A signal read from `path`, shown until the user goes back to the live ones.
    void showSaved(const VideoSnapshot &signal, const QString &path);
    // A signal went into the history.
    void signalArrived();
    // Draws the newest signal and the waterfall now.
    void refresh();

    const SignalFigures &shownFigures() const { return shown_; }
    QPushButton *useSuggested() const { return useSuggested_; }
    WaterfallView *waterfall() const { return waterfall_; }
    // The waterfall with its trends as PNG, and the history's figures as CSV, through the safe
    // writer; false with `error` set when the file could not be written.
    bool savePicture(const QString &path, QString *error) const;
    bool saveFigures(const QString &path, QString *error) const;

  protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    QWidget *makeFigures();
    QWidget *makeThresholdRow();
    QWidget *makeSaveRow();
    void showNothing();
    void showFigures(const SignalFigures &figures, const QString &source);
    void tick();
    void showNewest();
    void drawWaterfall();

    const SignalHistory &history_;
    QLabel *source_;
    std::array<QLabel *, 8> values_{};
    std::array<QLabel *, 8> verdicts_{};
    QLabel *missing_;
    QTableWidget *crossings_;
    QLabel *threshold_;
    QPushButton *useSuggested_;
    QPushButton *backToLive_;
    WaterfallView *waterfall_;
    QTimer timer_;
    SignalFigures shown_;
    bool showingSaved_ = false;
    qint64 drawnRevision_ = -1;     // of the figures shown
    qint64 waterfallRevision_ = -1; // of the waterfall drawn
    int ticks_ = 0;
};
