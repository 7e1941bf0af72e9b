#include "recording/LogFileCheck.h"

void LogFileCheck::take(const MeasurementRecord& record)
{
    ++records_;
    if (firstBadPosition_ == 0 && record.elapsedSeconds != records_) {
        firstBadPosition_ = records_;
        firstBadStamp_ = record.elapsedSeconds;
    }
}

void LogFileCheck::take(const MeasurementRecord* records, std::size_t count)
{
    std::size_t i = 0;
    for (; i < count && firstBadPosition_ == 0; ++i)
        take(records[i]);
    records_ += static_cast<std::int64_t>(count - i);
}

std::string LogFileCheck::describe() const
{
    std::string out;
    if (firstBadPosition_ != 0) {
        out += "Record " + std::to_string(firstBadPosition_) + " is stamped " + std::to_string(firstBadStamp_)
            + " where a recording has " + std::to_string(firstBadPosition_) + ".";
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
