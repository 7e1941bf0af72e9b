#pragma once

#include "library/RunLibrary.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a scan did, file by file where it matters.
struct ScanReport {
    struct Problem {
        std::string path;
        std::string reason;
        bool place = false; // a folder or a named place, not a log file
    };
    std::int64_t files = 0;     // log files found
    std::int64_t read = 0;      // of them read (new or changed)
    std::int64_t added = 0;     // new runs
    std::int64_t moved = 0;     // known runs found in a new place
    std::int64_t copies = 0;    // files holding a run that another file holds too
    std::int64_t unchanged = 0; // not read again
    std::int64_t empty = 0;     // files without records
    std::int64_t gone = 0;      // files the library knew that are no longer there
    std::vector<Problem> problems; // files that are no run, and folders that could not be read
};

struct ScanProgress {
    std::int64_t found = 0; // files found so far
    std::int64_t done = 0;  // of them looked at
    bool walking = true;    // still finding files
};

// Scans folders (and single files) for logs and brings the library up to
// date: new logs are added, moved ones found again by their content, changed
// ones read again, broken ones reported without stopping. A file whose path,
// size and modification time the library knows is not read again.
class LibraryScan {
public:
    using Progress = std::function<void(const ScanProgress&)>;
    // Files read between two commits: a crash loses at most this much work,
    // and another program waits at most this long for the library.
    static constexpr std::size_t kBatchFiles = 256;
    static constexpr std::chrono::milliseconds kBatchTime{500};
    static constexpr const char* kExtension = ".tvr";
    static constexpr const char* kTooLarge = "too large to read into memory";

    explicit LibraryScan(RunLibrary& library) : library_(library) {}

    ScanReport scan(const std::vector<std::string>& places, const Progress& progress = {});

private:
    RunLibrary& library_;
};

// An absolute path with "." and ".." resolved and the folders' links
// followed, so that one file has one name in the library.
std::string libraryPathOf(const std::string& path);
