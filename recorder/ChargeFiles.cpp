#include "recorder/ChargeFiles.h"

#include "acquisition/MeasurementRecord.h"
#include "recording/LogFile.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ChargeFiles {

namespace {

// More charges starting within one second than this are not plausible; the
// bound keeps a folder full of planted names from stalling the recorder.
constexpr int kMaxAttempts = 100;

std::string reasonOf(int error)
{
    return std::generic_category().message(error);
}

std::string joinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty() || dir.back() == '/')
        return dir + name;
    return dir + "/" + name;
}

} // namespace

std::string nameFor(const std::tm& start, int attempt)
{
    char stamp[64];
    // Fields are printed as numbers, so no locale or time zone name gets in.
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d_%02d-%02d-%02d", start.tm_year + 1900, start.tm_mon + 1,
                  start.tm_mday, start.tm_hour, start.tm_min, start.tm_sec);
    std::string name = stamp;
    if (attempt > 1)
        name += "_" + std::to_string(attempt);
    return name + ".tvr";
}

Created createInDirectory(const std::string& dir, const std::tm& start)
{
    Created result;
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const std::string path = joinPath(dir, nameFor(start, attempt));
        if (attempt == 1)
            result.path = path;
        int fd;
        do {
            // O_EXCL also refuses a symlink of that name, wherever it points.
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0) {
            ::close(fd);
            result.path = path;
            result.error.clear();
            return result;
        }
        if (errno != EEXIST) {
            result.path = path;
            result.error = reasonOf(errno);
            return result;
        }
        result.error = reasonOf(EEXIST);
    }
    return result;
}

std::string checkDirectory(const std::string& dir)
{
    struct stat info {};
    if (::stat(dir.c_str(), &info) != 0)
        return reasonOf(errno);
    if (!S_ISDIR(info.st_mode))
        return reasonOf(ENOTDIR);
    if (::access(dir.c_str(), W_OK | X_OK) != 0)
        return reasonOf(errno);
    return {};
}

std::string prepareSingleFile(const std::string& path, bool overwrite)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return reasonOf(EISDIR);
        if (!S_ISREG(info.st_mode))
            return "not a regular file";
        if (info.st_size > 0 && !overwrite) {
            const long long records = static_cast<long long>(info.st_size) / static_cast<long long>(kRecordSize);
            return "already holds " + std::to_string(records) + " record(s); choose another name, or "
                   "--overwrite to empty it";
        }
    } else if (errno != ENOENT) {
        return reasonOf(errno);
    }
    return createLogFile(path);
}

} // namespace ChargeFiles
