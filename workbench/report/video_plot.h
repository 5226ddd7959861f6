// SPDX-License-Identifier: GPL-3.0-or-later
// A video signal drawn for paper: the samples as a black curve and the threshold as a dashed
// line on white, over a light grid, with the axes in pixels and levels as the video graph has
// them. Readable in black and white, unlike the graph's red and green on grey.
#pragma once

#include "workbench/adapters/video_snapshot.h"

#include <QImage>
#include <QSize>

QImage VideoPlot(const VideoSnapshot &snapshot, QSize size);
