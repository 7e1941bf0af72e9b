#pragma once

#include "acquisition/MeasurementRecord.h"

#include <cstdint>
#include <string>

// A log file as comma-separated text, one line per record, independent of the
// process locale.
class LogCsv {
public:
    static std::string header();
    static std::string row(const MeasurementRecord& record);
    // Seconds as h:mm:ss (hours unbounded, a minus sign before negative values).
    static std::string clock(std::int64_t seconds);
};
