#include "library/PackTrend.h"

namespace {

std::optional<double> percentChange(double value, double reference)
{
    if (!(reference > 0))
        return std::nullopt;
    return (value - reference) / reference * 100.0;
}

void fillMode(PackTrend& trend, const std::vector<PackRun>& runs, RunFigures::Mode mode, ModeReference& reference)
{
    const std::vector<std::size_t> ofMode = runsOfMode(runs, mode);
    if (ofMode.empty())
        return;
    const std::size_t first = firstRunCount(ofMode.size());
    reference = referenceOf(runs, std::vector<std::size_t>(ofMode.begin(), ofMode.begin() + static_cast<long>(first)));
    for (std::size_t k = 0; k < ofMode.size(); ++k) {
        TrendRow& row = trend.rows[ofMode[k]];
        const RunFigures& f = runs[ofMode[k]].figures;
        row.reference = k < first;
        row.capacityChange = percentChange(f.judgedCapacity(), reference.capacity);
        row.energyChange = percentChange(f.energy, reference.energy);
        if (f.endSpread && reference.endSpread)
            row.endSpreadChange = *f.endSpread - *reference.endSpread;
    }
}

} // namespace

ModeReference referenceOf(const std::vector<PackRun>& runs, const std::vector<std::size_t>& which)
{
    ModeReference r;
    r.runs = which.size();
    if (which.empty())
        return r;
    double spreadSum = 0;
    std::size_t spreads = 0;
    for (const std::size_t i : which) {
        const RunFigures& f = runs[i].figures;
        r.capacity += f.judgedCapacity();
        r.energy += f.energy;
        if (f.endSpread) {
            spreadSum += *f.endSpread;
            ++spreads;
        }
    }
    r.capacity /= static_cast<double>(which.size());
    r.energy /= static_cast<double>(which.size());
    if (spreads > 0)
        r.endSpread = spreadSum / static_cast<double>(spreads);
    return r;
}

PackTrend packTrend(const std::vector<PackRun>& runs)
{
    PackTrend trend;
    trend.rows.resize(runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i)
        trend.rows[i].run = &runs[i];
    fillMode(trend, runs, RunFigures::Mode::Charge, trend.charges);
    fillMode(trend, runs, RunFigures::Mode::Discharge, trend.discharges);
    return trend;
}
