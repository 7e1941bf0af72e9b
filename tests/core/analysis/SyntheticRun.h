#pragma once

// Runs with known answers for the analysis tests: records built from a
// function of the sample number, stamped as the recording would (1, 2, 3, ...)
// unless a test says otherwise.

#include "analysis/RunData.h"

#include <functional>
#include <vector>

inline MeasurementRecord sampleRecord(int stamp, float voltage, float current, int capacity = 0)
{
    MeasurementRecord r;
    r.elapsedSeconds = stamp;
    r.voltage = voltage;
    r.current = current;
    r.capacity = capacity;
    r.temperature = 25.0f;
    r.chargeMode = 1;
    return r;
}

// Records 1..n made by `make(second)`.
inline std::vector<MeasurementRecord> records(int n, const std::function<MeasurementRecord(int)>& make)
{
    std::vector<MeasurementRecord> out;
    out.reserve(static_cast<std::size_t>(n));
    for (int s = 1; s <= n; ++s)
        out.push_back(make(s));
    return out;
}

inline RunData runOf(const std::vector<MeasurementRecord>& rs)
{
    RunData run;
    run.append(rs.data(), rs.size());
    return run;
}
