#include "library/PackHealth.h"

#include "analysis/StatsReport.h"
#include "library/PackTrend.h"

#include <algorithm>

namespace {

HealthThresholds::Value chosenOr(const std::optional<double>& chosen, std::optional<double> fallback)
{
    if (chosen)
        return {chosen, false};
    return {fallback, true};
}

const char* origin(const HealthThresholds::Value& v)
{
    return v.isDefault ? "default" : "set for this pack";
}

const char* modeRuns(RunFigures::Mode mode)
{
    return mode == RunFigures::Mode::Charge ? "charges" : "discharges";
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Capacity of the last runs of one mode against the nominal capacity, or
// against the first runs of that mode.
void checkCapacity(const PackInfo& pack, const std::vector<PackRun>& runs, RunFigures::Mode mode, double share,
                   std::vector<HealthWarning>& out)
{
    const std::vector<std::size_t> ofMode = runsOfMode(runs, mode);
    if (ofMode.empty())
        return;
    const std::size_t first = firstRunCount(ofMode.size());
    double reference = 0;
    std::string against;
    std::size_t recentFrom = 0;
    if (pack.nominalCapacity && *pack.nominalCapacity > 0) {
        reference = *pack.nominalCapacity;
        against = "the nominal " + formatValue(reference, 0) + " mAh";
        recentFrom = ofMode.size() > history::kLastRuns ? ofMode.size() - history::kLastRuns : 0;
    } else {
        if (ofMode.size() <= first)
            return; // nothing yet to compare with the first runs
        const ModeReference ref =
            referenceOf(runs, std::vector<std::size_t>(ofMode.begin(), ofMode.begin() + static_cast<long>(first)));
        reference = ref.capacity;
        against = "the first " + std::to_string(first) + " " + modeRuns(mode) + "' " + formatValue(reference, 0) + " mAh";
        recentFrom = std::max(first, ofMode.size() > history::kLastRuns ? ofMode.size() - history::kLastRuns : 0);
    }
    if (!(reference > 0))
        return;
    std::vector<double> recent;
    for (std::size_t k = recentFrom; k < ofMode.size(); ++k)
        recent.push_back(runs[ofMode[k]].figures.judgedCapacity());
    const double now = median(recent);
    const double percent = now / reference * 100.0;
    if (percent >= share)
        return;
    const std::string which = recent.size() == 1 ? std::string("the last ") + (mode == RunFigures::Mode::Charge ? "charge" : "discharge")
                                                 : "median of the last " + std::to_string(recent.size()) + " " + modeRuns(mode);
    out.push_back({HealthWarning::Kind::Capacity, runs[ofMode.back()].id,
                   "Capacity " + formatValue(now, 0) + " mAh (" + which + ") is " + formatValue(percent, 0) + " % of " + against
                       + "; warned below " + formatValue(share, 0) + " %."});
}

void checkSpread(const std::vector<PackRun>& runs, const HealthThresholds& t, std::vector<HealthWarning>& out)
{
    std::vector<const PackRun*> charges;
    for (const PackRun& run : runs) {
        if (run.figures.mode == RunFigures::Mode::Charge && run.figures.endSpread)
            charges.push_back(&run);
    }
    if (charges.empty())
        return;
    const PackRun& last = *charges.back();
    if (t.endSpread.value && *last.figures.endSpread > *t.endSpread.value)
        out.push_back({HealthWarning::Kind::EndSpread, last.id,
                       "End cell spread " + formatValue(*last.figures.endSpread, 0) + " mV after the last charge (run "
                           + std::to_string(last.id) + ") is above " + formatValue(*t.endSpread.value, 0) + " mV."});

    if (!t.spreadGrowth.value || charges.size() < history::kGrowthRuns)
        return;
    const std::vector<const PackRun*> tail(charges.end() - static_cast<long>(history::kGrowthRuns), charges.end());
    std::string values;
    for (std::size_t k = 0; k < tail.size(); ++k) {
        if (k > 0 && *tail[k]->figures.endSpread < *tail[k - 1]->figures.endSpread)
            return; // it fell back at least once: not growing
        values += (k > 0 ? ", " : "") + formatValue(*tail[k]->figures.endSpread, 0);
    }
    const double growth = *tail.back()->figures.endSpread - *tail.front()->figures.endSpread;
    if (growth >= *t.spreadGrowth.value)
        out.push_back({HealthWarning::Kind::SpreadGrowth, last.id,
                       "End cell spread grew over the last " + std::to_string(tail.size()) + " charges: " + values
                           + " mV (+" + formatValue(growth, 0) + " mV; warned from +" + formatValue(*t.spreadGrowth.value, 0)
                           + " mV)."});
}

void checkTemperature(const std::vector<PackRun>& runs, const HealthThresholds& t, std::vector<HealthWarning>& out)
{
    if (!t.temperature.value)
        return;
    for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
        if (!it->figures.peakTemperature)
            continue;
        if (*it->figures.peakTemperature > *t.temperature.value)
            out.push_back({HealthWarning::Kind::Temperature, it->id,
                           "Peak temperature " + formatValue(*it->figures.peakTemperature, 0) + "° in the last run (run "
                               + std::to_string(it->id) + ") is above " + formatValue(*t.temperature.value, 0) + "°."});
        return;
    }
}

} // namespace

HealthThresholds thresholdsFor(const PackThresholds& chosen, Chemistry chemistry)
{
    const bool lithium = chemistry == Chemistry::Lithium;
    HealthThresholds t;
    t.capacityShare = chosenOr(chosen.capacityShare, HealthThresholds::kCapacityShare);
    t.endSpread = chosenOr(chosen.endSpread, lithium ? std::optional(HealthThresholds::kLithiumEndSpread) : std::nullopt);
    t.spreadGrowth =
        chosenOr(chosen.spreadGrowth, lithium ? std::optional(HealthThresholds::kLithiumSpreadGrowth) : std::nullopt);
    t.temperature = chosenOr(chosen.temperature,
                             lithium ? HealthThresholds::kLithiumTemperature : HealthThresholds::kOtherTemperature);
    return t;
}

std::vector<std::string> explainThresholds(const PackInfo& pack, const HealthThresholds& t)
{
    std::vector<std::string> lines;
    const std::string reference = pack.nominalCapacity ? "the nominal " + formatValue(*pack.nominalCapacity, 0) + " mAh"
                                                       : "the mean of the pack's first runs";
    lines.push_back("Capacity: warns when the median of the last " + std::to_string(history::kLastRuns)
                    + " charges (or discharges) falls below " + formatValue(*t.capacityShare.value, 0) + " % of "
                    + reference + " (" + origin(t.capacityShare) + ").");
    lines.push_back(t.endSpread.value ? "End spread: warns when the cells end a charge more than "
                                            + formatValue(*t.endSpread.value, 0) + " mV apart (" + origin(t.endSpread) + ")."
                                      : std::string("End spread: off (") + origin(t.endSpread)
                                            + "; set one for packs charged with balancing leads).");
    lines.push_back(t.spreadGrowth.value
                        ? "Spread growth: warns when the end spread grew at each of the last "
                              + std::to_string(history::kGrowthRuns) + " charges, by "
                              + formatValue(*t.spreadGrowth.value, 0) + " mV or more in all (" + origin(t.spreadGrowth) + ")."
                        : std::string("Spread growth: off (") + origin(t.spreadGrowth) + ").");
    lines.push_back("Temperature: warns when the last run peaked above " + formatValue(*t.temperature.value, 0) + "° ("
                    + origin(t.temperature) + ").");
    return lines;
}

std::vector<HealthWarning> checkPack(const PackInfo& pack, const std::vector<PackRun>& runs)
{
    std::vector<HealthWarning> out;
    const HealthThresholds t = thresholdsFor(pack.thresholds, packChemistry(runs));
    if (t.capacityShare.value) {
        checkCapacity(pack, runs, RunFigures::Mode::Charge, *t.capacityShare.value, out);
        checkCapacity(pack, runs, RunFigures::Mode::Discharge, *t.capacityShare.value, out);
    }
    checkSpread(runs, t, out);
    checkTemperature(runs, t, out);
    return out;
}
