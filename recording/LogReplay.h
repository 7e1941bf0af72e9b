#pragma once

#include "recording/LogFileCheck.h"
#include "recording/SampleHistory.h"

#include <cstdint>
#include <string>

struct ReplayReport {
    bool opened = false;
    std::string error;              // the system's reason when the file could not be read
    std::int64_t records = 0;       // whole 64-byte records
    int trailingBytes = 0;          // a fragment shorter than a record at the end, ignored
    std::int64_t ignoredSelections = 0; // selected records that did not fit the history
    LogFileCheck check;             // whether the file looks like one recording, and if not why
};

// Replays the log file at `path` into the history (two sequential passes:
// ranges, then history), as the main window does in replay mode.
ReplayReport readLogFile(const std::string& path, SampleHistory& history);
