#pragma once

#include "acquisition/FrameDecoder.h"
#include "acquisition/MeasurementRecord.h"

#include <cstdint>
#include <vector>

// What a few seconds of a serial line carried, cut into frames exactly as the
// monitor's reader cuts them (a 0x00 byte abandons a frame, as silence does).
struct StreamAnalysis {
    std::int64_t bytes = 0;
    std::int64_t shortFrames = 0; // 76 bytes, variant 1
    std::int64_t longFrames = 0;  // 112 bytes, variant 2
    std::int64_t otherFrames = 0; // whole frames of any other length
    int commonOtherLength = 0;    // the most frequent of those lengths
    std::int64_t starts = 0;      // kinds, under the variant in force as the monitor applies it
    std::int64_t runnings = 0;
    std::int64_t ends = 0;
    std::int64_t bytesInFrames = 0;
    // Between the first and the last whole frame; the edges of the capture
    // (a frame cut by the start or end of listening) do not count.
    std::int64_t strayBytes = 0;
    std::int64_t overlongFrames = 0;
    int variant = 0;              // the last one a frame selected

    // The last start or running frame of 76 or 112 bytes, decoded, and the
    // kind of the last such frame.
    bool hasSample = false;
    MeasurementRecord sample{};
    int sampleVariant = 0;
    bool hasLastKind = false;
    FrameKind lastKind = FrameKind::Running;

    std::int64_t discardedBytes() const { return bytes - bytesInFrames; }
    std::int64_t usableFrames() const { return shortFrames + longFrames; }
};

StreamAnalysis analyseStream(const std::vector<std::uint8_t>& bytes);
