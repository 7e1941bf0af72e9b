#pragma once

#include "library/RunFigures.h"

#include <cstdint>
#include <string>

// Where a log file stands on disk: enough to tell, without reading it,
// whether it changed since it was last read.
struct FileStamp {
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0; // modification time, ns since the epoch
    bool operator==(const FileStamp&) const = default;
};

// Whether a path names a regular file, and its stamp; `error` holds the
// system's reason when it cannot be looked at.
bool stampOf(const std::string& path, FileStamp& stamp, std::string& error);

// One log file read once: its identity, and its figures or why it is no run.
struct ScannedLog {
    enum class Verdict {
        Run,       // a recorded run
        Empty,     // created for a recording that never came: no records
        Unreadable, // the system's reason in `problem`
        Truncated, // ends in part of a record: a copy cut short
        Foreign,   // not a log this program wrote
        Changing,  // grew while it was read: being recorded
    };

    Verdict verdict = Verdict::Unreadable;
    std::string problem; // for people, when not a Run
    FileStamp stamp;
    std::uint64_t hash = 0;
    RunFigures figures;
    std::int64_t startTime = 0; // s since the epoch: modification time minus duration
    std::int64_t endTime = 0;   // s since the epoch: modification time

    static constexpr const char* kNoRecords = "holds no records";

    bool isRun() const { return verdict == Verdict::Run; }
};

const char* verdictName(ScannedLog::Verdict verdict); // "run", "empty", "unreadable", ...

// Reads a log file: one pass gives the content hash, the check that it is a
// log, and the figures (through RunData, as the analysis window reads it).
ScannedLog scanLog(const std::string& path);
