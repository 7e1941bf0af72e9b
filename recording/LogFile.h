#pragma once

#include "acquisition/MeasurementRecord.h"

#include <cstdint>
#include <optional>
#include <string>

// Call once at program start, before any thread exists. Under a file-size
// limit (ulimit -f) a write beyond it then fails with EFBIG, which an append
// reports and cuts back, instead of SIGXFSZ ending the process mid-record.
void ignoreFileSizeSignal();

// Creates the log file, or empties it if it exists, and makes that durable
// (the file and its directory entry). A path that is a symbolic link is
// followed. Returns "" on success, otherwise the system's description of the error.
std::string createLogFile(const std::string& path);

// What an append found when the log's path no longer named the file the
// recording started with, and where the records go from then on.
struct LogFileChange {
    enum class Cause {
        Vanished,            // moved or deleted: a new file is made at the same path
        ReplacedByLink,      // a symbolic link: not followed, a new file beside it
        ReplacedByOtherFile, // another file: left untouched, a new file beside it
    };
    Cause cause = Cause::Vanished;
    std::string path;          // the file the records went to until now
    std::string newPath;       // the file this record and the following ones go to
    std::int32_t fromSecond = 0; // the stamp of the first record in the new file

    // "The log file "PATH" was moved or deleted during the recording"
    std::string headline() const;
    // "The records from second 41 on go to a new file "PATH"."
    std::string consequence() const;
};

// Appends records durably: each append opens the file, writes 64 bytes, flushes
// them to stable storage and closes it. A short write is cut back to the last
// whole record, so the file always holds whole records.
//
// The appender remembers which file (device, inode, type) the path named when
// it was made, right after "start" created it, and the size its appends left
// it at; a path that was a symbolic link then is followed once. Later appends
// never follow a link and never write into a file other than that one: when
// the path names nothing any more, a new file is made there; when it names a
// link or another file (or the same inode, reused, or the log with bytes that
// are not its appends'), that is left alone and a new file is made beside it
// ("run-2.tvr"). Either way change() tells what happened, once.
class LogAppender {
public:
    explicit LogAppender(std::string path);

    // "" on success, otherwise the system's description of the error.
    std::string append(const MeasurementRecord& record);

    // The file the records go to now.
    const std::string& path() const { return path_; }
    // Set by an append that had to move to a new file; cleared by the next append.
    const std::optional<LogFileChange>& change() const { return change_; }

    // Which file a path names. An inode freed by a deletion may be reused at
    // once, so the type and, for a regular file, the size are compared too.
    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        unsigned type = 0;
        bool operator==(const Identity&) const = default;
    };

private:
    // Opens the remembered file for appending, or makes a new one and records
    // the change; -1 with `error` set when neither works.
    int openForAppend(std::int32_t second, int& error);
    // Makes a new file at `path` (never through a link, never over a file); -1 with errno set.
    int createAt(const std::string& path);
    // Makes a new file beside the old path under the first free name.
    int createBeside(int& error, std::string& madePath);
    void adopt(int fd, const std::string& path);
    // Whether an open file is the one the records went to.
    bool isTheLog(int fd) const;

    std::string path_;
    std::optional<Identity> identity_;
    std::int64_t size_ = -1; // of the log after the last append; -1: not a regular file, or unknown
    bool directorySyncPending_ = false; // a new directory entry not yet on stable storage
    std::optional<LogFileChange> change_;
};
