#pragma once

#include "library/PackHistory.h"

#include <optional>
#include <vector>

// A pack's runs oldest first, each with its change against the pack's first
// runs of the same mode (charges against charges, discharges against
// discharges): capacity and energy in per cent, the end spread in mV.
struct TrendRow {
    const PackRun* run = nullptr;
    bool reference = false;                   // one of the first runs
    std::optional<double> capacityChange;     // % against the reference mean
    std::optional<double> energyChange;       // %
    std::optional<double> endSpreadChange;    // mV
};

struct ModeReference {
    std::size_t runs = 0;              // how many first runs
    double capacity = 0;               // mAh, mean judged capacity
    double energy = 0;                 // Wh
    std::optional<double> endSpread;   // mV, mean of those that have one
};

struct PackTrend {
    std::vector<TrendRow> rows;
    ModeReference charges;
    ModeReference discharges;
};

// `runs` must stay alive and unchanged while the trend is used.
PackTrend packTrend(const std::vector<PackRun>& runsOldestFirst);

// The mean of the judged capacity, energy and end spread over some runs.
ModeReference referenceOf(const std::vector<PackRun>& runs, const std::vector<std::size_t>& which);
