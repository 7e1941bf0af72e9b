#pragma once

#include "analysis/RunData.h"

#include <array>
#include <cstddef>

// What a stretch of a run between two cursors says: every trace at both ends
// and its extremes in between, and the differences and aggregates a charge is
// judged by. Differences are B minus A, so they change sign when B lies before
// A; extremes and the mean current cover the samples between, either way.
struct RangeStats {
    struct TraceValues {
        bool shown = false; // the run has this trace
        double atA = 0;
        double atB = 0;
        Extent extent;
    };

    std::size_t a = 0; // sample indices
    std::size_t b = 0;
    double timeA = 0;
    double timeB = 0;
    double duration = 0;        // s
    double bridgedSeconds = 0;  // s of steps integrated between A and B
    double deltaVoltage = 0;    // V
    double capacityDelta = 0;   // mAh, from the charger's capacity field
    double chargeDelta = 0;     // mAh, from the integrated current
    double energy = 0;          // Wh
    double meanCurrent = 0;     // A over the integrated steps; NaN without any
    double largestSpread = 0;   // mV; NaN without cells
    double largestSpreadTime = 0; // s
    std::array<TraceValues, kTraceCount> traces;
};

// Statistics between samples a and b of a non-empty run (indices are clamped).
RangeStats rangeStats(const RunData& run, std::size_t a, std::size_t b);
