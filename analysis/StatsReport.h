#pragma once

#include "analysis/RangeStats.h"

#include <string>
#include <vector>

// The figures of a RangeStats as people and scripts read them: the cursor
// table of the analysis window and the output of `trelvane-log stats`.

// The differences and aggregates over the range, in the order shown.
struct Aggregate {
    const char* key;   // JSON key, with its unit: "energy_Wh"
    const char* label; // "Energy"
    const char* unit;  // "Wh"; "" for a time shown as h:mm:ss
    double value;      // NaN when the range has none
    int decimals;
    bool clock;        // a time: shown as h:mm:ss
};
std::vector<Aggregate> aggregates(const RangeStats& stats);

// A number with `decimals` digits after the point ('.' whatever the locale); "-" for NaN.
std::string formatValue(double value, int decimals);
// An aggregate's value with its unit: "1.250 Wh", "0:10:00".
std::string formatAggregate(const Aggregate& aggregate);

// The whole table as text, and as one JSON object (see `trelvane-log stats --help`).
std::string statsText(const std::string& file, const RangeStats& stats);
std::string statsJson(const std::string& file, const RangeStats& stats);

// A JSON string literal of any bytes: invalid UTF-8 becomes U+FFFD.
std::string jsonString(const std::string& text);
