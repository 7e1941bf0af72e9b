#pragma once

#include "library/Chemistry.h"
#include "library/RunFigures.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A pack as its owner describes it, with the thresholds its warnings use;
// an empty threshold takes the default for the pack's chemistry.
struct PackThresholds {
    std::optional<double> capacityShare; // %: warn below this share of the reference capacity
    std::optional<double> endSpread;     // mV: warn above this end cell spread after a charge
    std::optional<double> spreadGrowth;  // mV: warn when the end spread grew this much over the last charges
    std::optional<double> temperature;   // degrees: warn above this peak temperature
};

struct PackInfo {
    std::int64_t id = 0;
    std::string name;
    std::string notes;
    std::optional<double> nominalCapacity; // mAh
    std::optional<int> cells;
    PackThresholds thresholds;
};

// One run of a pack as the history needs it.
struct PackRun {
    std::int64_t id = 0;
    std::int64_t startTime = 0; // s since the epoch
    RunFigures figures;
};

// How a pack's history is read: the first runs are the reference a pack is
// compared with, and the last runs say where it stands now; never one run
// alone, so that a single partial charge does not speak for the pack.
namespace history {
constexpr std::size_t kFirstRuns = 3;
constexpr std::size_t kLastRuns = 3;
constexpr std::size_t kGrowthRuns = 4; // end spreads that must each be at least the one before
}

// The chemistry of the pack's most recent run that names one.
Chemistry packChemistry(const std::vector<PackRun>& runsOldestFirst);

// Indices of `runs` (oldest first) of one mode, oldest first.
std::vector<std::size_t> runsOfMode(const std::vector<PackRun>& runs, RunFigures::Mode mode);

// How many of n runs of a mode form the reference: up to kFirstRuns, never
// the newest (a pack is not compared with itself), at least one.
std::size_t firstRunCount(std::size_t n);
