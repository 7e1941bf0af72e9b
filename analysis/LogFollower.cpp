#include "analysis/LogFollower.h"

#include "recording/LogReader.h"

#include <bit>
#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr auto kRecord = static_cast<std::int64_t>(kRecordSize);

std::string reason(int error)
{
    return std::generic_category().message(error);
}

// Opens a regular file for reading; -1 with `why` set otherwise. The open is
// non-blocking so that a FIFO without a writer cannot hold the caller.
int openRegular(const std::string& path, std::string& why, struct stat& st)
{
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        why = reason(errno);
        return -1;
    }
    const int error = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    if (error != 0 || !S_ISREG(st.st_mode)) {
        why = error != 0 ? reason(error) : LogReader::kNotRegular;
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

LogFollower::LogFollower(std::string path) : path_(std::move(path)) {}

LogFollower::~LogFollower()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool LogFollower::fail(const std::string& why)
{
    error_ = why;
    return false;
}

bool LogFollower::open()
{
    struct stat st {};
    const int fd = openRegular(path_, error_, st);
    if (fd < 0)
        return false;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
    device_ = st.st_dev;
    inode_ = st.st_ino;
    offset_ = 0;
    trailing_ = 0;
    error_.clear();
    return true;
}

std::int64_t LogFollower::size() const
{
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

bool LogFollower::reopenIfReplaced(bool& replaced)
{
    // A new file under the same name (written elsewhere and renamed into
    // place) is the log now. A path that vanished leaves the open file.
    replaced = false;
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0 || (st.st_dev == device_ && st.st_ino == inode_))
        return true;
    replaced = true;
    return open();
}

LogFollower::Change LogFollower::read(std::vector<MeasurementRecord>& out, std::size_t most)
{
    if (fd_ < 0 && !open())
        return Change::Failed;
    bool replaced = false;
    if (!reopenIfReplaced(replaced))
        return Change::Failed;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        fail(reason(errno));
        return Change::Failed;
    }
    Change change = replaced ? Change::Restarted : Change::None;
    if (static_cast<std::int64_t>(st.st_size) < offset_) {
        // Emptied and written anew: a new run in the same file.
        offset_ = 0;
        change = Change::Restarted;
    }
    const std::int64_t available = (static_cast<std::int64_t>(st.st_size) - offset_) / kRecord;
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::int64_t>(available, static_cast<std::int64_t>(most)));
    const std::size_t start = out.size();
    out.resize(start + wanted);
    std::size_t got = 0;
    while (got < wanted) {
        auto* bytes = reinterpret_cast<std::uint8_t*>(out.data() + start);
        const std::size_t want = (wanted * kRecordSize) - got;
        const ssize_t n = ::pread(fd_, bytes + got, want, offset_ + static_cast<std::int64_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            out.resize(start + got / kRecordSize);
            offset_ += static_cast<std::int64_t>(got / kRecordSize * kRecordSize);
            fail(reason(errno));
            return Change::Failed;
        }
        if (n == 0)
            break; // shortened while reading: take the whole records that came
        got += static_cast<std::size_t>(n);
    }
    const std::size_t records = got / kRecordSize;
    out.resize(start + records);
    if constexpr (std::endian::native != std::endian::little) {
        for (std::size_t i = start; i < out.size(); ++i)
            out[i] = fromBytes(reinterpret_cast<const std::uint8_t*>(&out[i]));
    }
    offset_ += static_cast<std::int64_t>(records) * kRecord;
    const std::int64_t rest = static_cast<std::int64_t>(st.st_size) - offset_;
    trailing_ = rest > 0 && rest < kRecord ? static_cast<int>(rest) : 0;
    if (records > 0 && change == Change::None)
        change = Change::Appended;
    return change;
}
