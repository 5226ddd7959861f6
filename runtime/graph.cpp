// Graph functions: they edit the GraphModel of a graph control; the control repaints once
// after any number of edits. Every failure returns -1 and leaves the graph as it was.

#include "runtime.h"
#include "runtime_qt.h"
#include "widgets/graph_widget.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace {

constexpr int kFailed = -1;

RtGraph *graphAt(int panel, int control) {
    return qobject_cast<RtGraph *>(rtControlWidget(panel, control));
}

bool knownDataType(int type) {
    return type == VAL_UNSIGNED_SHORT_INTEGER || type == VAL_UNSIGNED_INTEGER || type == VAL_DOUBLE;
}

double valueAt(const void *array, int type, int i) {
    switch (type) {
    case VAL_UNSIGNED_SHORT_INTEGER:
        return static_cast<const std::uint16_t *>(array)[i];
    case VAL_UNSIGNED_INTEGER:
        return static_cast<const std::uint32_t *>(array)[i];
    default:
        return static_cast<const double *>(array)[i];
    }
}

int colorOf(int rgb) {
    return rgb & 0xFFFFFF;
}

// Handles count up and wrap to 1 after INT_MAX, skipping any still held by a plot.
int takeHandle(GraphModel &model) {
    const auto inUse = [&](int h) {
        return std::any_of(model.plots.begin(), model.plots.end(),
                           [h](const GraphPlot &p) { return p.handle == h; });
    };
    int handle;
    do {
        handle = model.nextHandle > 0 ? model.nextHandle : 1;
        model.nextHandle = handle == INT_MAX ? 1 : handle + 1;
    } while (inUse(handle));
    return handle;
}

int addPlot(RtGraph &graph, GraphPlot plot) {
    GraphModel &model = graph.editModel();
    plot.handle = takeHandle(model);
    model.plots.push_back(std::move(plot));
    return model.plots.back().handle;
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
    if (!graph || !xArray || !yArray || numberOfPoints < 0 || !knownDataType(xDataType) ||
        !knownDataType(yDataType))
        return kFailed;
    GraphPlot plot;
    plot.kind = GraphPlot::Curve;
    plot.color = colorOf(color);
    plot.fillColor = plot.color;
    plot.points.resize(std::size_t(numberOfPoints));
    for (int i = 0; i < numberOfPoints; ++i)
        plot.points[std::size_t(i)] = {valueAt(xArray, xDataType, i),
                                       valueAt(yArray, yDataType, i)};
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
    if (!graph)
        return kFailed;
    if (plotHandle == -1) {
        graph->editModel().plots.clear();
        return 0;
    }
    const std::vector<GraphPlot> &plots = graph->model().plots;
    const auto found = std::find_if(plots.begin(), plots.end(), [plotHandle](const GraphPlot &p) {
        return p.handle == plotHandle;
    });
    if (found == plots.end())
        return kFailed;
    const auto index = found - plots.begin();
    auto &editable = graph->editModel().plots;
    editable.erase(editable.begin() + index);
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
