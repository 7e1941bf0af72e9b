#include "analysis/Decimation.h"

#include <algorithm>

namespace {

constexpr int kMostColumns = 1 << 16;

} // namespace

std::vector<PlotPoint> decimate(const RunData& run, Trace trace, double from, double to, int columns, double offset)
{
    std::vector<PlotPoint> points;
    if (run.empty() || !run.has(trace) || !(to > from) || columns <= 0)
        return points;
    columns = std::min(columns, kMostColumns);
    const double runFrom = from + offset;
    const double runTo = to + offset;
    const double width = (runTo - runFrom) / columns;

    const auto emit = [&](std::size_t i, double v) {
        if (std::isfinite(v))
            points.push_back({run.time(i) - offset, v});
    };
    std::size_t begin = run.lowerBound(runFrom);
    const std::size_t end = run.lowerBound(std::nextafter(runTo, runTo + 1)); // `to` itself belongs to the last column
    points.reserve(2 * static_cast<std::size_t>(columns) + 2);
    if (begin > 0)
        emit(begin - 1, run.value(trace, begin - 1));

    for (int c = 0; c < columns && begin < end; ++c) {
        const std::size_t stop = c + 1 == columns ? end : std::min(end, run.lowerBound(runFrom + (c + 1) * width));
        if (stop <= begin)
            continue;
        if (stop - begin <= 2) {
            run.visit(trace, begin, stop, emit);
        } else {
            const Extent e = run.extent(trace, begin, stop);
            if (!e.empty()) {
                // Rising through the column: minimum first; falling: maximum first.
                const double first = run.value(trace, begin);
                const double last = run.value(trace, stop - 1);
                const bool falling = std::isfinite(first) && std::isfinite(last) && last < first;
                const double x = runFrom + (c + 0.5) * width - offset;
                points.push_back({x, falling ? e.maximum : e.minimum});
                if (e.maximum != e.minimum)
                    points.push_back({x, falling ? e.minimum : e.maximum});
            }
        }
        begin = stop;
    }
    if (end < run.size())
        emit(end, run.value(trace, end));
    return points;
}

Extent visibleExtent(const std::vector<PlotPoint>& points, double from, double to)
{
    Extent e;
    for (const PlotPoint& p : points) {
        if (p.time >= from && p.time <= to)
            e.take(p.value);
    }
    return e;
}
