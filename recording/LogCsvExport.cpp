#include "recording/LogCsvExport.h"

#include "recording/LogCsv.h"
#include "recording/LogProgress.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr auto kRecord = static_cast<std::int64_t>(kRecordSize);
constexpr mode_t kNewFileMode = 0666; // narrowed by the umask, as any new file

std::string reasonOf(int error)
{
    return std::generic_category().message(error);
}

// Writes all of `size` bytes; the system's error number, or 0.
int writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

} // namespace

LogCsvExport::LogCsvExport(const std::string& logPath) : logPath_(logPath), reader_(logPath)
{
    if (!reader_.isOpen()) {
        fail(logPath_, reader_.error());
        return;
    }
    records_ = reader_.sizeAtOpen() / kRecord;
    trailingBytes_ = static_cast<int>(reader_.sizeAtOpen() % kRecord);
}

bool LogCsvExport::fail(const std::string& file, const std::string& reason)
{
    failedFile_ = file;
    reason_ = reason;
    return false;
}

bool LogCsvExport::write(const std::string& outPath, std::int64_t first, std::int64_t last, LogProgress* progress)
{
    if (!isOpen())
        return false;
    // Opened without emptying it, so that the log named as the output (by
    // its path, a link or another name) is found out before it is harmed.
    int fd;
    do {
        fd = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, kNewFileMode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return fail(outPath, reasonOf(errno));
    struct stat st {};
    int error = 0;
    if (::fstat(fd, &st) != 0)
        error = errno;
    else if (S_ISREG(st.st_mode) && !reader_.isSameFile(fd) && ::ftruncate(fd, 0) != 0)
        error = errno;
    bool written = error == 0 && write(fd, outPath, first, last, progress);
    if (::close(fd) != 0 && written) {
        error = errno;
        written = false;
    }
    return error != 0 ? fail(outPath, reasonOf(error)) : written;
}

bool LogCsvExport::write(int fd, const std::string& name, std::int64_t first, std::int64_t last,
                         LogProgress* progress)
{
    if (!isOpen())
        return false;
    if (reader_.isSameFile(fd))
        return fail(name, kIsTheLog);
    return writeRecords(fd, name, first, last, progress);
}

bool LogCsvExport::writeRecords(int fd, const std::string& name, std::int64_t first, std::int64_t last,
                                LogProgress* progress)
{
    written_ = 0;
    const std::int64_t end = std::min(last, records_ - 1) + 1; // past the last record written
    const std::string header = LogCsv::header() + '\n';
    if (const int error = writeAll(fd, header.data(), header.size()))
        return fail(name, reasonOf(error));
    // One block of records is formatted into one buffer and written at once.
    std::vector<char> text(LogReader::kBlockRecords * (LogCsv::kMaxRowLength + 1));
    std::int64_t at = 0; // records read
    while (at < end) {
        const std::size_t count = reader_.next();
        if (count == 0)
            break;
        const std::int64_t from = std::max(first, at);
        const std::int64_t to = std::min(end, at + static_cast<std::int64_t>(count));
        char* out = text.data();
        for (std::int64_t i = from; i < to; ++i) {
            out = LogCsv::writeRow(out, reader_.at(static_cast<std::size_t>(i - at)));
            *out++ = '\n';
        }
        if (const int error = writeAll(fd, text.data(), static_cast<std::size_t>(out - text.data())))
            return fail(name, reasonOf(error));
        written_ += std::max<std::int64_t>(to - from, 0);
        at += static_cast<std::int64_t>(count);
        if (progress && !progress->advance(std::min(at, end), end))
            return fail(logPath_, "stopped before its end");
    }
    if (!reader_.error().empty())
        return fail(logPath_, reader_.error());
    if (at < end)
        return fail(logPath_, "was shortened while it was read: " + std::to_string(at) + " of "
                                  + std::to_string(end) + " records read");
    return true;
}
