#include "library/RunFigures.h"

#include "analysis/RangeStats.h"

#include <cmath>

namespace {

std::optional<double> finiteOrNone(double v)
{
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

} // namespace

RunFigures runFigures(const RunData& run, const MeasurementRecord& first)
{
    RunFigures f;
    if (run.empty())
        return f;
    const std::size_t last = run.size() - 1;
    // The whole run is one range: the analysis window's figures between its
    // first and last sample, so both tell the same numbers.
    const RangeStats s = rangeStats(run, 0, last);
    const auto& trace = [&s](Trace t) -> const RangeStats::TraceValues& { return s.traces[index(t)]; };

    f.records = static_cast<std::int64_t>(run.size());
    f.duration = run.lastTime();
    f.mode = first.chargeMode == 1 ? RunFigures::Mode::Charge : RunFigures::Mode::Discharge;
    f.batteryType = first.batteryType;

    // Some chargers count a discharge, or its current, below zero: the library
    // keeps amounts, so runs of either sign compare.
    f.capacity = std::fabs(trace(Trace::Capacity).atB);
    f.integratedCapacity = std::fabs(s.chargeDelta);
    f.energy = std::fabs(s.energy);

    const RangeStats::TraceValues& voltage = trace(Trace::Voltage);
    f.peakVoltage = voltage.extent.empty() ? 0 : voltage.extent.maximum;
    f.endVoltage = std::isfinite(voltage.atB) ? voltage.atB : 0;
    const Extent& current = trace(Trace::Current).extent;
    f.peakCurrent = current.empty() ? 0 : std::max(std::fabs(current.minimum), std::fabs(current.maximum));

    // A variant without a sensor reports 0 throughout: that is no reading, not 0 degrees.
    const Extent& temperature = trace(Trace::Temperature).extent;
    if (!temperature.empty() && (temperature.minimum != 0 || temperature.maximum != 0))
        f.peakTemperature = temperature.maximum;

    for (int c = 0; c < kCellCount; ++c) {
        if (!run.has(cellTrace(c)))
            continue;
        f.cells = c + 1;
        const double v = trace(cellTrace(c)).atB;
        if (std::isfinite(v) && v != 0)
            f.endCells[static_cast<std::size_t>(c)] = v;
    }
    if (run.has(Trace::CellSpread)) {
        f.endSpread = finiteOrNone(trace(Trace::CellSpread).atB);
        f.largestSpread = finiteOrNone(s.largestSpread);
    }
    return f;
}
