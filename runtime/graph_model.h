// SPDX-License-Identifier: GPL-3.0-or-later
// What a graph control shows, kept as plain data so that tests can read it.
#pragma once

#include <map>
#include <vector>

struct GraphPoint {
    double x = 0;
    double y = 0;
};

struct GraphPlot {
    enum Kind { Curve, Rectangle };
    Kind kind = Curve;
    std::vector<GraphPoint> points; // Curve: the points; Rectangle: two corners
    int color = 0;                  // 0xRRGGBB line or outline
    int fillColor = 0;              // 0xRRGGBB fill (rectangles)
};

// Finite, with min < max.
struct GraphAxis {
    double min = 0;
    double max = 1;
};

struct GraphModel {
    std::vector<GraphPlot> plots;      // in drawing order
    std::map<int, GraphPoint> cursors; // cursor number -> position
    GraphAxis xAxis;
    GraphAxis yAxis;
};

// The model of a graph control, or nullptr when (panel, control) is not a graph.
const GraphModel *GetGraphModel(int panel, int control);
