// SPDX-License-Identifier: GPL-3.0-or-later
// Graph functions: they edit the GraphModel of a graph control; the control repaints once
// after any number of edits. Every failure returns -1 and leaves the graph as it was.

#include "runtime.h"
#include "runtime_qt.h"
#include "widgets/graph_widget.h"

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

constexpr int kFailed = -1;

RtGraph *graphAt(int panel, int control) {
    return qobject_cast<RtGraph *>(rtControlWidget(panel, control));
}

int colorOf(int rgb) {
    return rgb & 0xFFFFFF;
}

// A plot's handle is its place in the drawing order, counted from 1.
int addPlot(RtGraph &graph, GraphPlot plot) {
    std::vector<GraphPlot> &plots = graph.editModel().plots;
    plots.push_back(std::move(plot));
    return int(plots.size());
}

} // namespace

const GraphModel *GetGraphModel(int panel, int control) {
    const RtGraph *graph = graphAt(panel, control);
    return graph ? &graph->model() : nullptr;
}

// The style arguments are accepted for every value; the graph draws every curve as a line.
int PlotXY(int panel, int control, const void *xArray, const void *yArray, int numberOfPoints,
           int xDataType, int yDataType, int, int, int, int, int color) {
    RtGraph *graph = graphAt(panel, control);
    if (!graph || !xArray || !yArray || numberOfPoints < 0 ||
        xDataType != VAL_UNSIGNED_SHORT_INTEGER || yDataType != VAL_UNSIGNED_SHORT_INTEGER)
        return kFailed;
    const auto *xs = static_cast<const std::uint16_t *>(xArray);
    const auto *ys = static_cast<const std::uint16_t *>(yArray);
    GraphPlot plot;
    plot.kind = GraphPlot::Curve;
    plot.color = colorOf(color);
    plot.fillColor = plot.color;
    plot.points.resize(std::size_t(numberOfPoints));
    for (std::size_t i = 0; i < plot.points.size(); ++i)
        plot.points[i] = {double(xs[i]), double(ys[i])};
    return addPlot(*graph, std::move(plot));
}

int PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2, int color,
                  int fillColor) {
    RtGraph *graph = graphAt(panel, control);
    if (!graph)
        return kFailed;
    GraphPlot plot;
    plot.kind = GraphPlot::Rectangle;
    plot.points = {{x1, y1}, {x2, y2}};
    plot.color = colorOf(color);
    plot.fillColor = colorOf(fillColor);
    return addPlot(*graph, std::move(plot));
}

// Deletion always shows at the next paint, whatever `refresh` asks for.
int DeleteGraphPlot(int panel, int control, int plotHandle, int) {
    RtGraph *graph = graphAt(panel, control);
    if (!graph || plotHandle != -1)
        return kFailed;
    graph->editModel().plots.clear();
    return 0;
}

int SetGraphCursor(int panel, int control, int cursorNumber, double x, double y) {
    RtGraph *graph = graphAt(panel, control);
    if (!graph || cursorNumber < 1)
        return kFailed;
    graph->editModel().cursors[cursorNumber] = {x, y};
    return 0;
}

// Only manual scaling exists; a range must be finite and not empty.
int SetAxisScalingMode(int panel, int control, int axis, int axisScaling, double min, double max) {
    RtGraph *graph = graphAt(panel, control);
    if (!graph || (axis != VAL_XAXIS && axis != VAL_LEFT_YAXIS) || axisScaling != VAL_MANUAL ||
        !std::isfinite(min) || !std::isfinite(max) || !(min < max))
        return kFailed;
    GraphModel &model = graph->editModel();
    (axis == VAL_XAXIS ? model.xAxis : model.yAxis) = {min, max};
    return 0;
}
