#include "recording/LogFileCheck.h"

void LogFileCheck::take(const MeasurementRecord& record)
{
    ++records_;
    const std::int32_t stamp = record.elapsedSeconds;
    if (firstBadPosition_ == 0 && stamp != records_) {
        firstBadPosition_ = records_;
        firstBadStamp_ = stamp;
    }
    if (firstFallPosition_ != 0)
        return;
    if (!rises(stamp, previousStamp_)) {
        firstFallPosition_ = records_;
        fallStamp_ = stamp;
        fallAfter_ = previousStamp_;
        return;
    }
    const std::int64_t skipped = static_cast<std::int64_t>(stamp) - previousStamp_ - 1;
    if (skipped > 0) {
        if (gaps_ == 0) {
            firstGapFrom_ = static_cast<std::int64_t>(previousStamp_) + 1;
            firstGapTo_ = static_cast<std::int64_t>(stamp) - 1;
        }
        ++gaps_;
        missingSeconds_ += skipped;
    }
    previousStamp_ = stamp;
}

void LogFileCheck::take(const MeasurementRecord* records, std::size_t count)
{
    std::size_t i = 0;
    for (; i < count && firstFallPosition_ == 0; ++i)
        take(records[i]);
    records_ += static_cast<std::int64_t>(count - i);
}

std::string LogFileCheck::describe() const
{
    std::string out;
    if (firstFallPosition_ != 0) {
        out += "Record " + std::to_string(firstFallPosition_) + " is stamped " + std::to_string(fallStamp_)
            + (firstFallPosition_ == 1 ? " where a recording starts at 1"
                                       : ", not after the " + std::to_string(fallAfter_) + " before it")
            + ": the stamps do not rise as one recording's do.";
    } else if (gaps_ > 0) {
        const std::int64_t firstGap = firstGapTo_ - firstGapFrom_ + 1;
        out += firstGap == 1 ? "Second " + std::to_string(firstGapFrom_) + " is"
                             : "Seconds " + std::to_string(firstGapFrom_) + " to " + std::to_string(firstGapTo_) + " are";
        out += " missing";
        if (gaps_ > 1)
            out += ", and " + std::to_string(missingSeconds_ - firstGap) + " more in " + std::to_string(gaps_ - 1)
                + (gaps_ == 2 ? " later gap" : " later gaps");
        out += " (the line was lost during the recording).";
    }
    if (trailingBytes_ != 0) {
        if (!out.empty())
            out += ' ';
        out += "The file ends in a fragment of " + std::to_string(trailingBytes_)
            + (trailingBytes_ == 1 ? " byte" : " bytes") + " after " + std::to_string(records_)
            + (records_ == 1 ? " whole record" : " whole records") + "; the fragment is not shown.";
    }
    return out;
}
