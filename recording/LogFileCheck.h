#pragma once

#include "acquisition/MeasurementRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Tells whether a log file looks like one recording of this program: stamps
// 1, 2, 3, ... from the first record on, and nothing after the last whole
// record. The format has no header, so nothing is refused on this account;
// readers replay such a file as it is and say what is odd about it.
//
// Odd stamps are of two kinds. Stamps that rise with gaps are a recording
// with missing seconds: a recorder that lost the line and reconnected skips
// the seconds in between. Stamps that do not rise are not one recording.
// Fed one record at a time, in file order, then the trailing fragment.
class LogFileCheck {
public:
    // The one rule for "the stamps are a recording's": each above the one before,
    // the first above kBeforeFirst.
    static constexpr std::int32_t kBeforeFirst = 0;
    static bool rises(std::int32_t stamp, std::int32_t previous) { return stamp > previous; }

    void take(const MeasurementRecord& record);
    // The same for a block of records; once the stamps fall the rest are only counted.
    void take(const MeasurementRecord* records, std::size_t count);
    void finish(int trailingBytes) { trailingBytes_ = trailingBytes; }

    std::int64_t records() const { return records_; }
    // 1-based position of the first record whose stamp is not its position; 0 when there is none.
    std::int64_t firstBadPosition() const { return firstBadPosition_; }
    std::int32_t firstBadStamp() const { return firstBadStamp_; }
    int trailingBytes() const { return trailingBytes_; }

    // 1-based position of the first record whose stamp does not rise; 0 when they all do.
    std::int64_t firstFallPosition() const { return firstFallPosition_; }
    // Seconds missing between rising stamps (before the first fall).
    std::int64_t missingSeconds() const { return missingSeconds_; }

    bool looksLikeRecording() const { return firstBadPosition_ == 0 && trailingBytes_ == 0; }
    // What is odd, in sentences for a notice; "" when nothing is.
    std::string describe() const;

private:
    std::int64_t records_ = 0;
    std::int64_t firstBadPosition_ = 0;
    std::int32_t firstBadStamp_ = 0;
    std::int32_t previousStamp_ = kBeforeFirst;
    std::int64_t firstFallPosition_ = 0;
    std::int32_t fallStamp_ = 0;
    std::int32_t fallAfter_ = 0;
    std::int64_t missingSeconds_ = 0;
    std::int64_t gaps_ = 0;
    std::int64_t firstGapFrom_ = 0; // the first missing second
    std::int64_t firstGapTo_ = 0;   // and the last of that gap
    int trailingBytes_ = 0;
};
