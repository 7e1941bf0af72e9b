#pragma once

#include "recording/LogReader.h"

#include <cstdint>
#include <limits>
#include <string>

class LogProgress;

// Writes the records of a log file as comma-separated text, LogCsv's header
// and then one line per record: what `trelvane-log csv` prints and what the
// analysis window exports, so the two cannot differ. The records are those
// the file held when it was opened; a recording that still appends adds none,
// so the work has an end and its progress a total.
class LogCsvExport {
public:
    // The reason given when the output is the log itself: writing would empty it.
    static constexpr const char* kIsTheLog = "is the log being read";
    static constexpr std::int64_t kToTheEnd = std::numeric_limits<std::int64_t>::max();

    explicit LogCsvExport(const std::string& logPath);

    // False when the log cannot be read; failedFile() and reason() say why.
    bool isOpen() const { return reader_.isOpen(); }
    // Whole records when the log was opened.
    std::int64_t records() const { return records_; }
    // Bytes after the last whole record when the log was opened.
    int trailingBytes() const { return trailingBytes_; }

    // Writes records first..last (counted from 0; `last` is cut to the
    // records there are) into the file `outPath`, made or emptied first, but
    // never when it is the log: that is refused before anything is changed.
    // False with failedFile() and reason() set when the log cannot be read
    // (or got shorter while read), the output cannot be written, or
    // `progress` stopped the work.
    bool write(const std::string& outPath, std::int64_t first = 0, std::int64_t last = kToTheEnd,
               LogProgress* progress = nullptr);
    // The same into a descriptor that is already open (standard output),
    // called `name` when it fails; it is left open.
    bool write(int fd, const std::string& name, std::int64_t first = 0, std::int64_t last = kToTheEnd,
               LogProgress* progress = nullptr);

    // The file a failure concerns, the log or the output, and the reason.
    const std::string& failedFile() const { return failedFile_; }
    const std::string& reason() const { return reason_; }
    // Records written so far, without the header.
    std::int64_t written() const { return written_; }

private:
    bool fail(const std::string& file, const std::string& reason);
    bool writeRecords(int fd, const std::string& name, std::int64_t first, std::int64_t last, LogProgress* progress);

    std::string logPath_;
    LogReader reader_;
    std::int64_t records_ = 0;
    int trailingBytes_ = 0;
    std::int64_t written_ = 0;
    std::string failedFile_;
    std::string reason_;
};
