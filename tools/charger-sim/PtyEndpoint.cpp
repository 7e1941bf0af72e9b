#include "PtyEndpoint.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr auto kPollStep = std::chrono::milliseconds(20);
// A reader configures the line right after opening it; give it that moment.
constexpr auto kReaderSettle = std::chrono::milliseconds(200);

std::string systemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

std::string linkTarget(const std::string& path)
{
    char target[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    return n < 0 ? std::string() : std::string(target, std::size_t(n));
}

} // namespace

PtyEndpoint::~PtyEndpoint()
{
    if (!linkPath_.empty() && linkTarget(linkPath_) == slavePath_)
        ::unlink(linkPath_.c_str());
    if (master_ >= 0)
        ::close(master_);
}

bool PtyEndpoint::create(std::string* error)
{
    int slave = -1;
    char name[PATH_MAX] = {};
    if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0) {
        *error = systemError("cannot create a pseudo-terminal");
        return false;
    }
    slavePath_ = name;
    // Raw from the start: bytes written before a reader configures the line
    // must not be echoed or translated.
    struct termios line {};
    if (::tcgetattr(slave, &line) == 0) {
        ::cfmakeraw(&line);
        ::cfsetispeed(&line, B9600);
        ::cfsetospeed(&line, B9600);
        ::tcsetattr(slave, TCSANOW, &line);
    }
    ::close(slave);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    return true;
}

bool PtyEndpoint::registerAs(const std::string& dir, int port, std::string* error)
{
    const std::string path = dir + "/COM" + std::to_string(port);
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            *error = path + " exists and is not a symlink; not replacing it";
            return false;
        }
        ::unlink(path.c_str());
    }
    if (::symlink(slavePath_.c_str(), path.c_str()) != 0) {
        *error = systemError("cannot create " + path);
        return false;
    }
    linkPath_ = path;
    return true;
}

bool PtyEndpoint::readerPresent() const
{
    struct pollfd p {master_, 0, 0};
    return ::poll(&p, 1, 0) >= 0 && (p.revents & POLLHUP) == 0;
}

PtyEndpoint::Wait PtyEndpoint::waitForReader(double seconds, const std::atomic<bool>& stop) const
{
    const auto deadline = std::chrono::steady_clock::now()
        + std::chrono::milliseconds(static_cast<long long>(seconds * 1000.0));
    while (!readerPresent()) {
        if (stop.load())
            return Wait::Stopped;
        if (std::chrono::steady_clock::now() >= deadline)
            return Wait::TimedOut;
        std::this_thread::sleep_for(kPollStep);
    }
    std::this_thread::sleep_for(kReaderSettle);
    return stop.load() ? Wait::Stopped : Wait::ReaderOpened;
}

void PtyEndpoint::waitUntilReaderLeaves(const std::atomic<bool>& stop) const
{
    while (!stop.load() && readerPresent())
        std::this_thread::sleep_for(kPollStep);
}
