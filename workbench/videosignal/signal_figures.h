// SPDX-License-Identifier: GPL-3.0-or-later
// What one video signal says about the sensor's view: the dark and bright levels, how far
// apart they are, how noisy they are, samples at the ends of the range, how well the threshold
// sits between the levels and where the signal crosses it. A plain model over the samples as
// the video graph placed them; the window and the command line only show it.
#pragma once

#include "workbench/adapters/video_snapshot.h"

#include <QString>
#include <QVector>
#include <optional>

// Samples run from 0 to this level; a sample there is saturated.
constexpr int kTopLevel = 1023;

enum class Verdict { None, Good, Marginal, Poor };

// Where the signal passes the threshold line, between two neighbouring samples.
struct Crossing {
    double positionPx;     // interpolated along the line, in the graph's pixels
    bool rising;           // dark to bright, towards higher positions
    double movePerNoisePx; // how far it moves when the threshold moves by one noise width
};

struct SignalFigures {
    int threshold = 0;
    // Robust levels of the dark and bright parts; unset when the signal has no such part.
    std::optional<double> floor;
    std::optional<double> plateau;
    std::optional<double> contrast; // plateau - floor
    double noise = 0.0;             // spread of the samples within the flat parts, in levels
    int saturated = 0;              // samples at kTopLevel
    int clipped = 0;                // samples at 0
    // Threshold minus floor, plateau minus threshold; negative when the threshold lies beyond.
    std::optional<double> marginToFloor;
    std::optional<double> marginToPlateau;
    std::optional<int> suggestedThreshold;
    QVector<Crossing> crossings;

    bool twoParts() const { return floor && plateau; }
    // The noise the margins and crossings count in: the noise, but at least one level.
    double noiseWidth() const;
};

SignalFigures AnalyseSignal(const VideoSnapshot &signal);

// The figures that get a verdict, in the order they are shown.
enum class Figure {
    Floor,
    Plateau,
    Contrast,
    Noise,
    Saturated,
    Clipped,
    MarginToFloor,
    MarginToPlateau,
};
constexpr int kFigureCount = 8;

// None when the signal lacks a dark or a bright part.
Verdict VerdictOf(const SignalFigures &figures, Figure figure);
QString NameOf(Figure figure);
QString NameOf(Verdict verdict);
// What `figure` is, in a sentence.
QString MeaningOf(Figure figure);
// The limits of good, marginal and poor for `figure`, in words (the tooltip and the README).
QString LimitsOf(Figure figure);
// The figure's value with its unit, "—" when the signal has none.
QString ValueText(const SignalFigures &figures, Figure figure);
