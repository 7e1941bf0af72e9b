#include "recording/LogSummary.h"
#include "recording/SilentRecordingHost.h"

#include "recording/LogReader.h"
#include "recording/RecordingHost.h"
#include "recording/SampleHistory.h"

#include <cmath>

namespace {


constexpr const char* kFieldNames[LogSummary::kFieldCount] = {
    "voltage", "current", "capacity", "temperature", "cell1", "cell2",
    "cell3", "cell4", "cell5", "cell6", "cell7", "cell8",
};

} // namespace

void LogSummary::Extent::take(double v)
{
    if (std::isnan(v))
        return;
    if (!any) {
        minimum = maximum = v;
        any = true;
    } else if (v < minimum) {
        minimum = v;
    } else if (v > maximum) {
        maximum = v;
    }
}

const char* LogSummary::fieldName(int field)
{
    return field >= 0 && field < kFieldCount ? kFieldNames[field] : "";
}

void LogSummary::take(const MeasurementRecord& record)
{
    ++records_;
    if (records_ == 1)
        firstStamp_ = record.elapsedSeconds;
    lastStamp_ = record.elapsedSeconds;
    check_.take(record);
    extents_[0].take(record.voltage);
    extents_[1].take(record.current);
    extents_[2].take(record.capacity);
    extents_[3].take(record.temperature);
    for (int cell = 0; cell < 8; ++cell)
        extents_[static_cast<std::size_t>(4 + cell)].take(record.cellVoltage[cell]);
}

bool LogSummary::read(const std::string& path)
{
    LogReader reader(path);
    if (!reader.isOpen()) {
        error_ = reader.error();
        return false;
    }
    for (std::size_t count; (count = reader.next()) > 0;) {
        for (std::size_t i = 0; i < count; ++i)
            take(reader.at(i));
    }
    trailingBytes_ = reader.trailingBytes();
    check_.finish(trailingBytes_);
    if (!reader.error().empty()) {
        error_ = reader.error();
        return false;
    }

    SilentRecordingHost host;
    words_.runMode = RunMode::Replay;
    SampleHistory history(chart_, words_, host);
    replay_ = readLogFile(path, history);
    if (!replay_.error.empty()) {
        error_ = replay_.error;
        return false;
    }
    return true;
}
