#pragma once

#include "acquisition/MeasurementRecord.h"

#include <string>

// A slow four-cell lithium charge: pack voltage climbing to its end voltage,
// current tapering, capacity growing, temperature drifting with a little
// ripple, cells a few millivolts apart. Record `second` (from 1) is what the
// recording tick would have logged at that tick.
class SyntheticCharge {
public:
    static MeasurementRecord sample(int second);

    // Writes records 1..records to `path`; false on any write error.
    static bool writeLog(const std::string& path, int records);
};
