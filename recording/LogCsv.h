#pragma once

#include "acquisition/MeasurementRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>

// A log file as comma-separated text, one line per record, independent of the
// process locale.
class LogCsv {
public:
    // Room enough for any row (seventeen fields of at most 24 characters).
    static constexpr std::size_t kMaxRowLength = 512;

    static std::string header();
    static std::string row(const MeasurementRecord& record);
    // Writes the row, without a line end, at `out` (kMaxRowLength bytes of
    // room) and returns the end of what it wrote.
    static char* writeRow(char* out, const MeasurementRecord& record);
    // Seconds as h:mm:ss (hours unbounded, a minus sign before negative values).
    static std::string clock(std::int64_t seconds);
    // A float as printf's "%.9g" writes it in the "C" locale: every bit kept.
    static char* writeFloat(char* out, float value);
};
