#include "recording/LogReader.h"

#include <bit>
#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr std::size_t kBlockBytes = LogReader::kBlockRecords * kRecordSize;
}

LogReader::LogReader(const std::string& path)
{
    // Non-blocking only for the open: a FIFO without a writer would otherwise
    // hold the caller here for ever before it can be told apart from a log.
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        error_ = std::generic_category().message(errno);
        return;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        fail(errno);
        return;
    }
    // A directory opens fine but is not a log; say so before anything is read.
    if (S_ISDIR(st.st_mode)) {
        fail(EISDIR);
        return;
    }
    // A log has an end and can be read twice. A pipe cannot be rewound and a
    // device such as /dev/zero never ends, so replay would never return.
    if (!S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        error_ = kNotRegular;
        return;
    }
    sizeAtOpen_ = static_cast<std::int64_t>(st.st_size);
    device_ = static_cast<std::uint64_t>(st.st_dev);
    inode_ = static_cast<std::uint64_t>(st.st_ino);
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        fail(errno);
        return;
    }
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    records_.reset(new MeasurementRecord[kBlockRecords]);
}

LogReader::~LogReader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void LogReader::fail(int error)
{
    error_ = std::generic_category().message(error);
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

std::size_t LogReader::next()
{
    if (fd_ < 0 || atEnd_)
        return 0;
    // Fill the whole block unless the file ends, so records never straddle two blocks.
    auto* bytes = reinterpret_cast<std::uint8_t*>(records_.get());
    std::size_t filled = 0;
    while (filled < kBlockBytes) {
        const ssize_t n = ::read(fd_, bytes + filled, kBlockBytes - filled);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
            return 0;
        }
        if (n == 0) {
            atEnd_ = true;
            break;
        }
        filled += static_cast<std::size_t>(n);
    }
    if (atEnd_)
        trailing_ = static_cast<int>(filled % kRecordSize);
    const std::size_t count = filled / kRecordSize;
    if constexpr (std::endian::native != std::endian::little) {
        for (std::size_t i = 0; i < count; ++i)
            records_[i] = fromBytes(bytes + i * kRecordSize);
    }
    return count;
}

bool LogReader::rewind()
{
    if (fd_ < 0)
        return false;
    if (::lseek(fd_, 0, SEEK_SET) != 0) {
        fail(errno);
        return false;
    }
    atEnd_ = false;
    trailing_ = 0;
    return true;
}

bool LogReader::isSameFile(int fd) const
{
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd, &st) == 0 && static_cast<std::uint64_t>(st.st_dev) == device_
        && static_cast<std::uint64_t>(st.st_ino) == inode_;
}
