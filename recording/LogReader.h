#pragma once

#include "acquisition/MeasurementRecord.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Streams the whole 64-byte records of a log file in large blocks, so a long
// log is read sequentially without being held in memory. Only regular files
// are read: anything else may block or never end. A trailing fragment
// shorter than a record is not delivered; its size is reported at the end.
class LogReader {
public:
    static constexpr std::size_t kBlockRecords = 2048; // 128 KiB per read
    // error() for a path that names no regular file (a pipe, a device, a socket).
    static constexpr const char* kNotRegular = "Not a regular file";

    explicit LogReader(const std::string& path);
    ~LogReader();
    LogReader(const LogReader&) = delete;
    LogReader& operator=(const LogReader&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // The system's reason for the last failure; "" while all is well.
    const std::string& error() const { return error_; }

    // Reads the next block; returns the number of whole records now available
    // through at(), 0 at the end of the file or on an error (see error()).
    std::size_t next();
    // Record i of the current block, in the machine's byte order.
    const MeasurementRecord& at(std::size_t i) const { return records_[i]; }

    // Bytes after the last whole record, known once next() has returned 0.
    int trailingBytes() const { return trailing_; }

    // The file's size when it was opened: whole records and a fragment are
    // known from it before anything is read.
    std::int64_t sizeAtOpen() const { return sizeAtOpen_; }

    // Back to the start of the file for another pass.
    bool rewind();

    // Whether an open descriptor names this very file (same device and
    // inode), whatever path, link or redirection led to it.
    bool isSameFile(int fd) const;

private:
    void fail(int error);

    int fd_ = -1;
    std::string error_;
    // The file's bytes are read straight into the records: on a little-endian
    // machine they are the records, so nothing is copied a second time.
    std::unique_ptr<MeasurementRecord[]> records_;
    int trailing_ = 0;
    bool atEnd_ = false;
    std::int64_t sizeAtOpen_ = 0;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
};
