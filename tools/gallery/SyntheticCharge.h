#pragma once

#include "recording/ChartState.h"

#include <string>

// A plausible four-cell charge written as a log file and replayed into a
// chart state, so the pictures show what a real run would.
class SyntheticCharge {
public:
    // One record per second, stamped 1, 2, 3, ...
    static MeasurementRecord sample(int second);

    // Writes `seconds` records to `path`; false when the file cannot be written.
    static bool writeLog(const std::string& path, int seconds);

    // Replays `path` into `state` as the main window would; false on failure.
    static bool replay(const std::string& path, ChartState& state);
};
