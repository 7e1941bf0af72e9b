#include "analysis/RangeStats.h"

#include <algorithm>

namespace {

constexpr double kAmpSecondsPerMilliampHour = 3.6;

} // namespace

RangeStats rangeStats(const RunData& run, std::size_t a, std::size_t b)
{
    RangeStats s;
    if (run.empty())
        return s;
    a = std::min(a, run.size() - 1);
    b = std::min(b, run.size() - 1);
    const std::size_t first = std::min(a, b);
    const std::size_t last = std::max(a, b);
    s.a = a;
    s.b = b;
    s.timeA = run.time(a);
    s.timeB = run.time(b);
    s.duration = s.timeB - s.timeA;

    for (std::size_t t = 0; t < kTraceCount; ++t) {
        const Trace trace = traceAt(t);
        RangeStats::TraceValues& v = s.traces[t];
        v.shown = run.has(trace);
        if (!v.shown)
            continue;
        v.atA = run.value(trace, a);
        v.atB = run.value(trace, b);
        v.extent = run.extent(trace, first, last + 1);
    }
    const auto delta = [&s](Trace trace) { return s.traces[index(trace)].atB - s.traces[index(trace)].atA; };
    s.deltaVoltage = delta(Trace::Voltage);
    s.capacityDelta = delta(Trace::Capacity);
    s.chargeDelta = delta(Trace::Charge);
    s.energy = delta(Trace::Energy);

    s.bridgedSeconds = run.bridgedSeconds(last) - run.bridgedSeconds(first);
    const double charge = s.traces[index(Trace::Charge)].atB - s.traces[index(Trace::Charge)].atA;
    const double forward = a <= b ? charge : -charge;
    s.meanCurrent = s.bridgedSeconds > 0 ? forward * kAmpSecondsPerMilliampHour / s.bridgedSeconds : std::nan("");

    const Extent spread = s.traces[index(Trace::CellSpread)].extent;
    if (spread.empty()) {
        s.largestSpread = std::nan("");
        s.largestSpreadTime = std::nan("");
    } else {
        s.largestSpread = spread.maximum;
        const std::size_t at = run.find(Trace::CellSpread, first, last + 1, spread.maximum);
        s.largestSpreadTime = run.time(std::min(at, last));
    }
    return s;
}
