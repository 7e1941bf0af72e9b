#pragma once

#include "acquisition/MeasurementRecord.h"

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

// Reads the whole records of a log file and, called again, those appended
// since: the recording writes and syncs one record per second, so the file
// itself tells what is new, without any tie to the program that writes it.
// A record still being written (a trailing fragment) is read once it is
// whole. A file that got shorter or was replaced by another (a new
// recording into the same path) is read again from its start.
class LogFollower {
public:
    enum class Change {
        None,      // nothing new
        Appended,  // `out` holds the records after those read before
        Restarted, // the file was shortened or replaced: forget what was read, `out` holds it anew
        Failed,    // see error()
    };
    static constexpr std::size_t kChunkRecords = 4096;

    explicit LogFollower(std::string path);
    ~LogFollower();
    LogFollower(const LogFollower&) = delete;
    LogFollower& operator=(const LogFollower&) = delete;

    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }

    // Opens the file (only a regular file: a pipe or device may block or never end).
    bool open();
    // The file's size now, for reserving room; 0 when unknown.
    std::int64_t size() const;

    // Up to `most` records from where the last call stopped, appended to `out`.
    Change read(std::vector<MeasurementRecord>& out, std::size_t most);

    std::int64_t recordsRead() const { return offset_ / static_cast<std::int64_t>(kRecordSize); }
    // Bytes after the last whole record when last looked.
    int trailingBytes() const { return trailing_; }

private:
    bool reopenIfReplaced(bool& replaced);
    bool fail(const std::string& reason);

    std::string path_;
    std::string error_;
    int fd_ = -1;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::int64_t offset_ = 0; // bytes of whole records read
    int trailing_ = 0;
};
