#pragma once

#include "acquisition/MeasurementRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Tells whether a log file looks like one recording of this program: stamps
// 1, 2, 3, ... from the first record on, and nothing after the last whole
// record. The format has no header, so nothing is refused on this account;
// readers replay such a file as it is and say what is odd about it.
// Fed one record at a time, in file order, then the trailing fragment.
class LogFileCheck {
public:
    void take(const MeasurementRecord& record);
    // The same for a block of records; once a bad stamp is found the rest are only counted.
    void take(const MeasurementRecord* records, std::size_t count);
    void finish(int trailingBytes) { trailingBytes_ = trailingBytes; }

    std::int64_t records() const { return records_; }
    // 1-based position of the first record whose stamp is not its position; 0 when there is none.
    std::int64_t firstBadPosition() const { return firstBadPosition_; }
    std::int32_t firstBadStamp() const { return firstBadStamp_; }
    int trailingBytes() const { return trailingBytes_; }

    bool looksLikeRecording() const { return firstBadPosition_ == 0 && trailingBytes_ == 0; }
    // What is odd, in sentences for a notice; "" when nothing is.
    std::string describe() const;

private:
    std::int64_t records_ = 0;
    std::int64_t firstBadPosition_ = 0;
    std::int32_t firstBadStamp_ = 0;
    int trailingBytes_ = 0;
};
