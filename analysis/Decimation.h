#pragma once

#include "analysis/RunData.h"

#include <vector>

struct PlotPoint {
    double time = 0;
    double value = 0;
};

// What a trace looks like `columns` pixels wide over the shown times [from, to]:
// per pixel column the minimum and the maximum of the samples it covers (so
// a one-sample spike stays visible at every zoom, and no more than two points
// per column ever reach the plot), in the order that keeps the line's shape;
// a column of one or two samples keeps them as they are. The samples just
// outside the range are added so the line runs on to the plot's edges.
// `offset` is subtracted from the run's times to give shown times (runs
// aligned with each other); non-finite values are left out.
std::vector<PlotPoint> decimate(const RunData& run, Trace trace, double from, double to, int columns,
                                double offset = 0);

// The extent of the values a decimation shows between `from` and `to`, for fitting an axis.
Extent visibleExtent(const std::vector<PlotPoint>& points, double from, double to);
