#pragma once

#include "analysis/LogFollower.h"
#include "analysis/RunData.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One log file opened for analysis: its records as RunData, kept up to date
// with the file while a recording still appends to it.
class AnalysisRun {
public:
    enum class Update { None, Grew, Restarted, Failed };

    // Records beyond this are refused rather than read until memory runs out
    // (a sparse file is terabytes of zeros): about two years of seconds,
    // some 1.7 GB of columns.
    static constexpr std::int64_t kMostRecords = std::int64_t{1} << 26;
    static constexpr const char* kTooLarge = "too large to analyse";

    explicit AnalysisRun(std::string path);

    // Reads every record there is; false with error() when the file cannot be
    // read. `progress(recordsRead, recordsInFile)` is told after every chunk.
    using Progress = std::function<void(std::int64_t, std::int64_t)>;
    bool load(const Progress& progress = {});
    // Takes in what was appended since (or the whole file again after it was
    // shortened or replaced).
    Update refresh();

    const RunData& data() const { return data_; }
    const std::string& path() const { return follower_.path(); }
    // The file's name without its folder, for legends.
    std::string name() const;
    const std::string& error() const { return error_.empty() ? follower_.error() : error_; }
    int trailingBytes() const { return follower_.trailingBytes(); }

private:
    Update take(const Progress& progress = {});

    LogFollower follower_;
    RunData data_;
    std::vector<MeasurementRecord> buffer_;
    std::string error_; // what load() refused; the follower's own otherwise
};
