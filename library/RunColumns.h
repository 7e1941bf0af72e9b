#pragma once

#include "library/LibraryRun.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The columns a run is listed with, shared by `trelvane-library list`, its
// CSV and the Runs window, so that they name and round figures alike.
enum class RunColumn {
    Id,
    Start,
    Duration,
    Mode,
    Type,
    Cells,
    Capacity,
    Integrated,
    Energy,
    PeakVoltage,
    EndVoltage,
    PeakCurrent,
    PeakTemperature,
    EndSpread,
    LargestSpread,
    Pack,
    File,
    Cell1, // the end voltage of each cell: in CSV only
    Cell2,
    Cell3,
    Cell4,
    Cell5,
    Cell6,
    Cell7,
    Cell8,
    Hash,
};
constexpr std::size_t kRunColumnCount = 26;

struct RunColumnInfo {
    const char* key;   // CSV header: "capacity_mAh"
    const char* label; // for people: "Capacity"
    const char* unit;  // "mAh"; "" for none
    int decimals;      // of a number for people; -1 for a text column
    int csvDecimals;   // of a number in CSV: what the readings carry
};

const RunColumnInfo& runColumnInfo(RunColumn column);
constexpr RunColumn runColumnAt(std::size_t i) { return static_cast<RunColumn>(i); }

// The columns of a listing for people, and of the CSV (all of them).
std::vector<RunColumn> listedColumns();
std::vector<RunColumn> csvColumns();

// The value a column sorts by; empty for a text column or a figure the run lacks.
std::optional<double> runNumber(const LibraryRun& run, RunColumn column);
// The column for people ("1.23", "2025-03-14 18:02", "charge"); "-" for a missing figure.
std::string runText(const LibraryRun& run, RunColumn column);
// The column in CSV: full precision, ISO 8601 times, "" for a missing figure, quoted when needed.
std::string runCsv(const LibraryRun& run, RunColumn column);

// A field quoted for CSV when it holds a comma, a quote or a line break.
std::string csvField(const std::string& text);
// Local time: "2025-03-14 18:02" and, for CSV, "2025-03-14T18:02:11+01:00".
std::string localTime(std::int64_t secondsSinceEpoch);
std::string isoTime(std::int64_t secondsSinceEpoch);
const char* modeName(RunFigures::Mode mode); // "charge", "discharge"
