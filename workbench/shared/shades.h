// SPDX-License-Identifier: GPL-3.0-or-later
// Backgrounds that mark rows and cells: a hue mixed into the palette's base, under the
// palette's text, so that they read on a light and on a dark palette alike.
#pragma once

#include <QColor>

class QPalette;

enum class Shade { Problem, Notice, Status, Differing };

QColor ShadeOf(const QPalette &palette, Shade shade);
// `from` moved `share` (0 to 1) of the way to `to`.
QColor Blend(const QColor &from, const QColor &to, float share);
