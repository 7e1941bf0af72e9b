#pragma once

#include "recording/LogFileCheck.h"
#include "recording/SampleHistory.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class LogProgress;

struct ReplayReport {
    bool opened = false;
    std::string error;              // the system's reason when the file could not be read
    std::int64_t records = 0;       // whole 64-byte records replayed
    int trailingBytes = 0;          // a fragment shorter than a record at the end, ignored
    std::int64_t ignoredSelections = 0; // selected records that did not fit the history
    std::int64_t recordsAtStart = 0; // whole records the file held when the replay began
    bool cancelled = false;         // stopped through LogProgress; the state is then incomplete

    // The file lost records while it was read: the state is that of the
    // records that were read.
    bool shrank() const { return opened && error.empty() && !cancelled && records < recordsAtStart; }
    LogFileCheck check;             // whether the file looks like one recording, and if not why
};

struct ReplayHooks {
    LogProgress* progress = nullptr;
    // Sees the replayed records as well, a block at a time, in file order.
    std::function<void(const MeasurementRecord* records, std::size_t count)> eachBlock;
};

// Replays the log file at `path` into the history in one sequential pass, as
// the main window does in replay mode. The file's size gives the record count
// before anything is read, and with it the span, the step and the x-scale, so
// the axis ranges (over every record) and the history (the records whose
// stamps are multiples of the step) are filled as the records go by.
//
// Only the records the file held at the start are read, however it grows.
// If it shrinks meanwhile, the state is that of a replay of the records it
// still had (report.shrank()).
ReplayReport readLogFile(const std::string& path, SampleHistory& history, const ReplayHooks& hooks = {});
