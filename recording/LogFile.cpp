#include "recording/LogFile.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A new file goes beside a replaced log as "run-2.tvr", "run-3.tvr", ...; this
// many names are tried before the append gives up for this tick.
constexpr int kFirstSuffix = 2;
constexpr int kLastSuffix = 999;

std::string reasonOf(int error)
{
    return std::generic_category().message(error);
}

// Non-blocking: the tick runs on the user-interface thread, and a FIFO with
// no reader would otherwise hold it in open() for ever. On a regular file the
// flag changes nothing.
int openRetrying(const char* path, int flags)
{
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes everything or reports the errno that stopped it.
int writeAll(int fd, const std::uint8_t* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO; // no progress and no reason given; do not spin
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

int retryingInterrupts(int (*call)(int), int fd)
{
    int rc;
    do {
        rc = call(fd);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

// For regular files only. EINVAL means a file system without fdatasync, which
// fsync may still serve; every other failure (EIO, EROFS, ...) is a failure.
int syncFile(int fd)
{
    const int error = retryingInterrupts(::fdatasync, fd);
    if (error != EINVAL)
        return error;
    return retryingInterrupts(::fsync, fd);
}

// Makes a new or emptied file's directory entry durable, so a power cut cannot
// take away a file whose records were synced.
int syncDirectory(const std::string& directory)
{
    int fd;
    do {
        fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        // A folder one may write but not read cannot be synced; nothing to be done.
        return errno == EACCES || errno == EPERM ? 0 : errno;
    }
    int error = retryingInterrupts(::fsync, fd);
    ::close(fd);
    // Some file systems cannot sync a directory at all.
    return error == EINVAL ? 0 : error;
}

std::string directoryOf(const std::string& path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// The file a path names, with every link resolved; "" when it cannot be told.
std::string resolved(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr)
        return {};
    std::string out(real);
    std::free(real);
    return out;
}

std::string quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

LogAppender::Identity identityOf(const struct stat& st)
{
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<unsigned>(st.st_mode & S_IFMT)};
}

std::int64_t sizeOf(const struct stat& st)
{
    return S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : -1;
}

} // namespace

void ignoreFileSizeSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

std::string createLogFile(const std::string& path)
{
    const int fd = openRetrying(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0)
        return reasonOf(errno);
    struct stat st {};
    int error = ::fstat(fd, &st) == 0 ? 0 : errno;
    const bool regular = error == 0 && S_ISREG(st.st_mode);
    if (regular)
        error = syncFile(fd);
    ::close(fd);
    if (error == 0 && regular) {
        // Through a link the entry that matters is the target's.
        const std::string target = resolved(path);
        error = syncDirectory(directoryOf(target.empty() ? path : target));
    }
    return error == 0 ? std::string{} : reasonOf(error);
}

std::string LogFileChange::headline() const
{
    const char* what = "was moved or deleted";
    if (cause == Cause::ReplacedByLink)
        what = "was replaced by a symbolic link";
    else if (cause == Cause::ReplacedByOtherFile)
        what = "was replaced by another file";
    return "The log file " + quoted(path) + " " + what + " during the recording";
}

std::string LogFileChange::consequence() const
{
    const std::string from = "the records from second " + std::to_string(fromSecond) + " on go to ";
    switch (cause) {
    case Cause::Vanished:
        return "A new file was made at the same path: " + from + quoted(newPath) + ".";
    case Cause::ReplacedByLink:
        return "The link is not followed; " + from + quoted(newPath) + ".";
    case Cause::ReplacedByOtherFile:
        return "That file is left untouched; " + from + quoted(newPath) + ".";
    }
    return {};
}

LogAppender::LogAppender(std::string path) : path_(std::move(path))
{
    // A path that is a link when the recording starts is followed this once;
    // from here on the appends go to the file it named then.
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        const std::string target = resolved(path_);
        if (!target.empty())
            path_ = target;
    }
    if (::stat(path_.c_str(), &st) == 0) {
        identity_ = identityOf(st);
        size_ = sizeOf(st);
    }
}

std::string LogAppender::append(const MeasurementRecord& record)
{
    change_.reset();
    int error = 0;
    const int fd = openForAppend(record.elapsedSeconds, error);
    if (fd < 0)
        return reasonOf(error);

    struct stat before {};
    if (::fstat(fd, &before) != 0) {
        error = errno;
        ::close(fd);
        return reasonOf(error);
    }
    const bool regular = S_ISREG(before.st_mode);

    const RecordBytes bytes = toBytes(record);
    error = writeAll(fd, bytes.data(), bytes.size());
    // Special files (a pipe, /dev/null) cannot be synced and need not be.
    if (error == 0 && regular)
        error = syncFile(fd);
    if (error == 0 && directorySyncPending_) {
        error = syncDirectory(directoryOf(path_));
        directorySyncPending_ = error != 0;
    }
    if (error != 0 && regular) {
        // A record is in the file whole or not at all: cut back what got through.
        int rc;
        do {
            rc = ::ftruncate(fd, before.st_size);
        } while (rc != 0 && errno == EINTR);
    }
    struct stat after {};
    size_ = ::fstat(fd, &after) == 0 ? sizeOf(after) : -1;
    // The data are on stable storage once synced; close() has nothing to add.
    ::close(fd);
    return error == 0 ? std::string{} : reasonOf(error);
}

int LogAppender::openForAppend(std::int32_t second, int& error)
{
    using Cause = LogFileChange::Cause;
    const std::string before = path_;
    auto moveBeside = [&](Cause cause) {
        std::string made;
        const int fd = createBeside(error, made);
        if (fd >= 0) {
            adopt(fd, made);
            change_ = LogFileChange{cause, before, made, second};
        }
        return fd;
    };

    const int fd = openRetrying(path_.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW);
    if (fd >= 0) {
        if (!identity_) {
            adopt(fd, path_); // nothing was there at the start: this is the log now
            directorySyncPending_ = false;
        }
        if (isTheLog(fd))
            return fd;
        ::close(fd);
        return moveBeside(Cause::ReplacedByOtherFile);
    }
    if (errno == ELOOP)
        return moveBeside(Cause::ReplacedByLink);
    if (errno != ENOENT) {
        // Something else at the path that cannot be opened (a directory, a
        // FIFO without a reader, a file one may not write) is not the log either.
        error = errno;
        struct stat st {};
        if (identity_ && ::lstat(path_.c_str(), &st) == 0 && identityOf(st) != *identity_)
            return moveBeside(Cause::ReplacedByOtherFile);
        return -1;
    }
    const bool existed = identity_.has_value();
    const int made = createAt(path_);
    if (made < 0) {
        error = errno;
        return -1;
    }
    adopt(made, path_);
    if (existed)
        change_ = LogFileChange{Cause::Vanished, before, path_, second};
    return made;
}

int LogAppender::createAt(const std::string& path)
{
    // O_EXCL: a file or link that appeared meanwhile is never opened.
    return openRetrying(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW);
}

int LogAppender::createBeside(int& error, std::string& madePath)
{
    const std::filesystem::path old(path_);
    const std::string stem = (old.parent_path() / old.stem()).string();
    const std::string extension = old.extension().string();
    for (int suffix = kFirstSuffix; suffix <= kLastSuffix; ++suffix) {
        const std::string candidate = stem + "-" + std::to_string(suffix) + extension;
        const int fd = createAt(candidate);
        if (fd >= 0) {
            madePath = candidate;
            return fd;
        }
        if (errno != EEXIST) {
            error = errno;
            return -1;
        }
    }
    error = EEXIST;
    return -1;
}

void LogAppender::adopt(int fd, const std::string& path)
{
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        identity_ = identityOf(st);
        size_ = sizeOf(st);
    }
    path_ = path;
    directorySyncPending_ = true;
}

bool LogAppender::isTheLog(int fd) const
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !identity_ || identityOf(st) != *identity_)
        return false;
    // Bytes the appends did not put there: another file on a reused inode, or another writer.
    return size_ < 0 || sizeOf(st) == size_;
}
