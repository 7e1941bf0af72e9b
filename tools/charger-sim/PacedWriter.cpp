#include "PacedWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace {

constexpr int kBitsPerByte = 10; // start, 8 data, stop
constexpr int kBaud = 9600;
constexpr std::size_t kChunk = 4; // bytes written per wake-up
constexpr auto kStopCheck = std::chrono::milliseconds(50);

std::chrono::nanoseconds lineTime(std::size_t bytes)
{
    return std::chrono::nanoseconds(static_cast<long long>(bytes) * kBitsPerByte * 1'000'000'000LL / kBaud);
}

} // namespace

PacedWriter::PacedWriter(int fd, bool pace, int periodMs, const std::atomic<bool>& stop)
    : fd_(fd), pace_(pace), period_(std::chrono::milliseconds(periodMs)), stop_(stop), nextSlot_(Clock::now())
{
}

bool PacedWriter::sleepUntil(Clock::time_point when)
{
    while (!stop_.load()) {
        const auto now = Clock::now();
        if (now >= when)
            return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(when - now, kStopCheck));
    }
    return false;
}

bool PacedWriter::writeAll(const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        if (stop_.load())
            return false;
        const ssize_t n = ::write(fd_, data, size);
        if (n > 0) {
            data += n;
            size -= std::size_t(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            // Nobody is draining the line yet; wait for room without giving up on a stop request.
            struct pollfd p {fd_, POLLOUT, 0};
            ::poll(&p, 1, int(kStopCheck.count()));
        } else {
            error_ = std::string("write failed: ") + std::strerror(errno);
            return false;
        }
    }
    return true;
}

bool PacedWriter::send(const Transmission& t)
{
    if (!pace_)
        return writeAll(t.bytes.data(), t.bytes.size());

    Clock::time_point start = Clock::now();
    if (t.kind == Transmission::Kind::Frame) {
        if (!sleepUntil(nextSlot_))
            return false;
        start = std::max(start, nextSlot_);
    }
    for (std::size_t sent = 0; sent < t.bytes.size(); sent += kChunk) {
        if (!sleepUntil(start + lineTime(sent)))
            return false;
        if (!writeAll(t.bytes.data() + sent, std::min(kChunk, t.bytes.size() - sent)))
            return false;
    }
    const auto finished = start + lineTime(t.bytes.size());
    if (t.kind == Transmission::Kind::Frame)
        nextSlot_ = std::max(start + period_, finished);
    return sleepUntil(finished);
}
