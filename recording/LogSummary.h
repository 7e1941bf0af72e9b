#pragma once

#include "acquisition/SharedWords.h"
#include "recording/ChartState.h"
#include "recording/LogFileCheck.h"
#include "recording/LogReplay.h"

class LogProgress;

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// What a log file holds: its records, their stamps, the extent of every
// measured value, and the chart state a replay of it would show.
class LogSummary {
public:
    // Smallest and largest value seen; NaN values are left out.
    struct Extent {
        double minimum = 0.0;
        double maximum = 0.0;
        bool any = false;
        void take(double v);
    };

    // voltage, current, capacity, temperature, cell1..cell8
    static constexpr int kFieldCount = 12;
    static const char* fieldName(int field);

    static constexpr const char* kShrank = "got shorter while it was read";

    // Reads the file once; false with error() set when it cannot be read, or
    // when it got shorter meanwhile (kShrank), as its figures are then of a
    // part. `progress` may follow and stop the pass (replay().cancelled).
    bool read(const std::string& path, LogProgress* progress = nullptr);

    const std::string& error() const { return error_; }
    std::int64_t records() const { return records_; }
    int trailingBytes() const { return trailingBytes_; }
    std::int32_t firstStamp() const { return firstStamp_; }
    std::int32_t lastStamp() const { return lastStamp_; }
    // 1-based position of the first record whose stamp is not its position; 0 when there is none.
    std::int64_t firstGapPosition() const { return check_.firstBadPosition(); }
    std::int32_t firstGapStamp() const { return check_.firstBadStamp(); }
    // Whether the file looks like one recording, and if not why.
    const LogFileCheck& check() const { return check_; }
    const Extent& extent(int field) const { return extents_[static_cast<std::size_t>(field)]; }

    // The replay of the file, as the main window would show it.
    const ChartState& chart() const { return chart_; }
    const ReplayReport& replay() const { return replay_; }
    int cellsStatus() const { return words_.cellsStatus; }

private:
    // The next records of the file, in order.
    void take(const MeasurementRecord* records, std::size_t count);

    std::string error_;
    std::int64_t records_ = 0;
    int trailingBytes_ = 0;
    std::int32_t firstStamp_ = 0;
    std::int32_t lastStamp_ = 0;
    LogFileCheck check_;
    std::array<Extent, kFieldCount> extents_{};
    ChartState chart_{};
    SharedWords words_{};
    ReplayReport replay_{};
};
