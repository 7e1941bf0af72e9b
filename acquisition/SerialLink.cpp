#include "acquisition/SerialLink.h"

#include "acquisition/PortNames.h"

#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using namespace std::chrono_literals;

constexpr auto kReadTimeout = 1000ms;
constexpr int kBitsPerByte = 10; // start, 8 data, stop
constexpr int kBaud = 9600;
// A coalesced wait also covers adapters and terminals that pass bytes on in
// small bursts a few milliseconds apart, so that one wait usually suffices.
constexpr auto kCoalesceMargin = 6ms;
constexpr int kLongestRun = 112;
#ifdef Q_OS_WIN
constexpr int kReadSliceMs = 50; // how long an abort may go unnoticed
#endif

#ifndef Q_OS_WIN
QString groupName(gid_t gid)
{
    struct group entry {};
    struct group* found = nullptr;
    char buffer[4096];
    if (getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr)
        return QString::number(gid);
    return QString::fromLocal8Bit(found->gr_name);
}

QString permissionDeniedReason(const QString& path, const struct stat& info)
{
    if (info.st_mode & S_IRGRP) {
        return QStringLiteral("permission denied: add your user to the group '%1' that owns %2 "
                              "(sudo usermod -aG %1 $USER, then log in again)")
            .arg(groupName(info.st_gid), path);
    }
    return QStringLiteral("permission denied: %1 is not readable by your user").arg(path);
}

// The checks Qt would answer vaguely; empty when the device looks openable.
QString reasonBeforeOpen(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return QStringLiteral("no such device: %1").arg(path);
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!S_ISCHR(info.st_mode))
        return QStringLiteral("not a serial device: %1").arg(path);
    if (::access(native.constData(), R_OK) != 0 && errno == EACCES)
        return permissionDeniedReason(path, info);
    return {};
}

// Only asked after Qt refused the device, so a healthy port is not opened twice.
bool isTerminal(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == EBUSY; // held exclusively: a terminal in use
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
}
#endif

} // namespace

SerialLink::SerialLink()
{
#ifndef Q_OS_WIN
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
#endif
}

SerialLink::~SerialLink()
{
    close();
#ifndef Q_OS_WIN
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
#endif
}

std::chrono::microseconds SerialLink::lineTime(int bytes)
{
    return std::chrono::microseconds(static_cast<long long>(bytes) * kBitsPerByte * 1'000'000LL / kBaud);
}

void SerialLink::abort()
{
    aborted_.store(true);
#ifndef Q_OS_WIN
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
    }
#endif
}

void SerialLink::expectAtLeast(int bytes)
{
    // No frame is longer than the reader's buffer; a larger hint would only
    // stretch the one coalesced wait.
    expected_ = std::clamp(bytes, 0, kLongestRun);
}

bool SerialLink::openPort(int portNumber)
{
    return openDevice(devicePathForPort(portNumber));
}

bool SerialLink::openDevice(const QString& devicePath)
{
    close();
    devicePath_ = devicePath;
    failureReason_.clear();

#ifndef Q_OS_WIN
    failureReason_ = reasonBeforeOpen(devicePath);
    if (!failureReason_.isEmpty())
        return false;
    // Qt's lock file is named after the path it is given; the real device
    // gives every alias (a COMn symlink, /dev/serial/by-id/...) the same lock.
    const QString systemPath = QFileInfo(devicePath).canonicalFilePath();
#else
    const QString systemPath = devicePath;
#endif

    port_ = new QSerialPort;
    port_->setPortName(systemPath);
    port_->setBaudRate(QSerialPort::Baud9600);
    port_->setDataBits(QSerialPort::Data8);
    port_->setParity(QSerialPort::NoParity);
    port_->setStopBits(QSerialPort::OneStop);
    if (port_->open(QIODevice::ReadOnly)) {
        head_ = tail_ = 0;
        return true;
    }

    const QSerialPort::SerialPortError error = port_->error();
    const QString qtReason = port_->errorString();
    delete port_;
    port_ = nullptr;

#ifndef Q_OS_WIN
    if (!isTerminal(systemPath)) {
        failureReason_ = QStringLiteral("not a serial device: %1").arg(devicePath);
        return false;
    }
#endif
    // Access was checked above, so a refusal now means somebody holds the
    // port: TIOCEXCL (EBUSY) or the lock file of another program.
    if (error == QSerialPort::PermissionError
        && qtReason != QSerialPort::tr("Permission error while creating lock file")) {
        failureReason_ = QStringLiteral("in use by another program: %1").arg(devicePath);
        return false;
    }
    failureReason_ = QStringLiteral("%1: %2").arg(devicePath, qtReason);
    return false;
}

void SerialLink::pauseBeforeRead(std::chrono::milliseconds pause, int nextRun)
{
    pausing_ = true;
    pauseUntil_ = Clock::now() + pause;
    pauseRun_ = std::clamp(nextRun, 0, kLongestRun);
}

int SerialLink::readByte()
{
    if (aborted_.load())
        return 0;
    if (pausing_) {
        pausing_ = false;
        // What the line already holds counts towards the run; it is taken now
        // (draining never waits), the rest is waited for with the pause.
        if (head_ == tail_) {
            head_ = tail_ = 0;
            drain();
        }
        const int have = tail_ - head_;
        Clock::time_point until = pauseUntil_;
        if (have < pauseRun_)
            until = std::max(until, Clock::now() + lineTime(pauseRun_ - have) + kCoalesceMargin);
        if (!sleepUntil(until))
            return 0;
    }
    if (head_ == tail_ && !refill())
        return 0;
    if (expected_ > 0)
        --expected_;
    return buffer_[static_cast<std::size_t>(head_++)];
}

bool SerialLink::refill()
{
    head_ = tail_ = 0;
    if (drain())
        return true;
    // The caller's second for this byte starts now, when the buffer runs dry.
    const Clock::time_point deadline = Clock::now() + kReadTimeout;
    if (expected_ > 1) {
        // A frame is under way: look again once the line can have carried the
        // rest of it. Bytes come no sooner for waking early.
        const Clock::time_point whole = Clock::now() + lineTime(expected_) + kCoalesceMargin;
        if (!sleepUntil(std::min(whole, deadline)))
            return false;
        if (drain())
            return true;
    }
    return waitForBytes(deadline);
}

#ifndef Q_OS_WIN

namespace {

// Milliseconds for poll(), rounded up so that a wait never ends early.
int pollTimeout(std::chrono::steady_clock::duration left)
{
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::clamp<long long>(ms, 0, 60'000));
}

} // namespace

bool SerialLink::drain()
{
    if (port_ == nullptr)
        return false;
    auto* out = reinterpret_cast<char*>(buffer_.data());
    const auto room = static_cast<qint64>(buffer_.size());
    // Anything Qt has buffered itself comes first (it reads only when an event
    // loop runs on this thread, which the acquisition thread never does).
    if (port_->bytesAvailable() > 0) {
        const qint64 n = port_->read(out, room);
        tail_ = static_cast<int>(std::max<qint64>(n, 0));
        if (tail_ > 0)
            return true;
    }
    const int fd = static_cast<int>(port_->handle());
    for (;;) {
        const ssize_t n = ::read(fd, out, buffer_.size());
        if (n > 0) {
            tail_ = static_cast<int>(n);
            return true;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return false; // nothing yet (EAGAIN), a hung-up line (0 or EIO) or an error
    }
}

bool SerialLink::sleepUntil(Clock::time_point deadline)
{
    for (;;) {
        if (aborted_.load())
            return false;
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero())
            return true;
        struct pollfd wake {wakeFd_, POLLIN, 0};
        ++waits_;
        ::poll(&wake, wakeFd_ >= 0 ? 1 : 0, pollTimeout(left));
    }
}

bool SerialLink::waitForBytes(Clock::time_point deadline)
{
    if (port_ == nullptr || !port_->isOpen()) {
        sleepUntil(deadline); // a caller looping on silence must not spin
        return false;
    }
    const int fd = static_cast<int>(port_->handle());
    for (;;) {
        if (aborted_.load())
            return false;
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero())
            return false;
        struct pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        ++waits_;
        const int ready = ::poll(fds, wakeFd_ >= 0 ? 2 : 1, pollTimeout(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            continue; // the deadline is checked above
        if (ready < 0) {
            sleepUntil(deadline);
            return false;
        }
        if (fds[0].revents == 0)
            continue; // the abort, checked above
        if (drain())
            return true;
        // Readable yet nothing to read: a hung-up or failed device answers at
        // once. Wait out the second, as for silence, so that no caller spins.
        sleepUntil(deadline);
        return false;
    }
}

#else

bool SerialLink::drain()
{
    if (port_ == nullptr || port_->bytesAvailable() <= 0)
        return false;
    const qint64 n = port_->read(reinterpret_cast<char*>(buffer_.data()), static_cast<qint64>(buffer_.size()));
    tail_ = static_cast<int>(std::max<qint64>(n, 0));
    return tail_ > 0;
}

bool SerialLink::sleepUntil(Clock::time_point deadline)
{
    while (!aborted_.load()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return true;
        ++waits_;
        QThread::msleep(static_cast<unsigned long>(std::min<long long>(left, kReadSliceMs)));
    }
    return false;
}

bool SerialLink::waitForBytes(Clock::time_point deadline)
{
    while (!aborted_.load()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        const int slice = static_cast<int>(std::min<long long>(kReadSliceMs, left));
        const Clock::time_point sliceEnd = Clock::now() + std::chrono::milliseconds(slice);
        ++waits_;
        if (port_ != nullptr && port_->isOpen() && port_->waitForReadyRead(slice) && drain())
            return true;
        sleepUntil(sliceEnd); // a failed device answers at once: do not spin
    }
    return false;
}

#endif

void SerialLink::close()
{
    delete port_;
    port_ = nullptr;
    head_ = tail_ = 0;
}

bool SerialLink::isOpen() const
{
    return port_ != nullptr && port_->isOpen();
}
