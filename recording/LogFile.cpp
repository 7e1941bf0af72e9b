#include "recording/LogFile.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

int syncData(int fd)
{
    int rc;
    do {
        rc = ::fdatasync(fd);
    } while (rc != 0 && errno == EINTR);
    // Special files (a pipe, /dev/null) cannot be synced and need not be.
    if (rc != 0 && errno != EINVAL && errno != EROFS)
        return errno;
    return 0;
}

} // namespace

std::string createLogFile(const std::string& path)
{
    const int fd = openRetrying(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0)
        return reasonOf(errno);
    ::close(fd);
    return {};
}

std::string LogAppender::append(const MeasurementRecord& record)
{
    const int fd = openRetrying(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT);
    if (fd < 0)
        return reasonOf(errno);

    struct stat before {};
    if (::fstat(fd, &before) != 0) {
        const int error = errno;
        ::close(fd);
        return reasonOf(error);
    }

    const RecordBytes bytes = toBytes(record);
    int error = writeAll(fd, bytes.data(), bytes.size());
    if (error == 0)
        error = syncData(fd);
    if (error != 0 && S_ISREG(before.st_mode)) {
        // A record is in the file whole or not at all: cut back what got through.
        int rc;
        do {
            rc = ::ftruncate(fd, before.st_size);
        } while (rc != 0 && errno == EINTR);
    }
    // The data are on stable storage once synced; close() has nothing to add.
    ::close(fd);
    return error == 0 ? std::string{} : reasonOf(error);
}
