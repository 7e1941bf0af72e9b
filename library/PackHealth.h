#pragma once

#include "library/PackHistory.h"

#include <optional>
#include <string>
#include <vector>

// The thresholds a pack's warnings use, defaults filled in for its chemistry,
// each with where it came from so that it can be explained where it is shown.
struct HealthThresholds {
    struct Value {
        std::optional<double> value; // empty: this check is off
        bool isDefault = true;
    };
    Value capacityShare; // %
    Value endSpread;     // mV
    Value spreadGrowth;  // mV
    Value temperature;   // degrees

    // Defaults: 80 % of the reference capacity; a 30 mV end spread and 10 mV
    // of growth for lithium packs, whose cells are balanced (other chemistries
    // are charged without balancing leads, so their spread says little); 45
    // degrees for lithium, the usual charge limit, and 50 for the others.
    static constexpr double kCapacityShare = 80.0;
    static constexpr double kLithiumEndSpread = 30.0;
    static constexpr double kLithiumSpreadGrowth = 10.0;
    static constexpr double kLithiumTemperature = 45.0;
    static constexpr double kOtherTemperature = 50.0;
};

HealthThresholds thresholdsFor(const PackThresholds& chosen, Chemistry chemistry);

// One line per threshold: what it warns about and where its value came from.
std::vector<std::string> explainThresholds(const PackInfo& pack, const HealthThresholds& thresholds);

struct HealthWarning {
    enum class Kind { Capacity, EndSpread, SpreadGrowth, Temperature };
    Kind kind;
    std::int64_t runId; // the most recent run it is about
    std::string text;   // what was found, against which threshold
};

// The warnings of a pack from its runs, oldest first.
std::vector<HealthWarning> checkPack(const PackInfo& pack, const std::vector<PackRun>& runsOldestFirst);
