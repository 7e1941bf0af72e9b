#pragma once

#include "acquisition/MeasurementRecord.h"

#include <string>

// Creates the log file, or empties it if it exists. Returns "" on success,
// otherwise the system's description of the error.
std::string createLogFile(const std::string& path);

// Appends records durably: each append opens the file, writes 64 bytes, flushes
// them to stable storage and closes it. A short write is cut back to the last
// whole record, so the file always holds whole records.
class LogAppender {
public:
    explicit LogAppender(std::string path) : path_(std::move(path)) {}

    // "" on success, otherwise the system's description of the error.
    std::string append(const MeasurementRecord& record);

    const std::string& path() const { return path_; }

private:
    std::string path_;
};
