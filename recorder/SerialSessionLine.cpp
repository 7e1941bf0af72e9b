#include "recorder/SerialSessionLine.h"

#include "acquisition/FrameReader.h"
#include "acquisition/PortNames.h"

#include <QFile>

#include <chrono>

#include <sys/stat.h>

namespace {

// The device number behind a path, following links; false when there is none.
bool deviceBehind(const QString& path, dev_t* device)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    *device = info.st_rdev;
    return true;
}

} // namespace

SerialSessionLine::SerialSessionLine(SerialLink& link, int portNumber, QString devicePath,
                                     const std::atomic<bool>& stopRequested)
    : link_(link), portNumber_(portNumber), devicePath_(std::move(devicePath)), stopRequested_(stopRequested)
{
    lastPath_ = currentPath();
}

QString SerialSessionLine::currentPath() const
{
    return portNumber_ > 0 ? devicePathForPort(portNumber_) : devicePath_;
}

std::string SerialSessionLine::open()
{
    lastPath_ = currentPath();
    opened_ = false;
    if (!link_.openDevice(lastPath_))
        return link_.failureReason().toStdString();
    // Taken right after the open: a name that moves in between is noticed at
    // the first silence and opened again.
    opened_ = deviceBehind(lastPath_, &device_);
    return {};
}

void SerialSessionLine::close()
{
    link_.close();
    opened_ = false;
}

bool SerialSessionLine::stillThere()
{
    dev_t now = 0;
    return opened_ && link_.isOpen() && deviceBehind(currentPath(), &now) && now == device_;
}

std::string SerialSessionLine::name() const
{
    const std::string path = QFile::encodeName(lastPath_).toStdString();
    if (portNumber_ > 0)
        return "COM" + std::to_string(portNumber_) + " (" + path + ")";
    return path;
}

bool SerialSessionLine::pause(int milliseconds)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return !woken_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                            [this] { return stopRequested_.load(); });
}

bool SerialSessionLine::pauseAfterFrame(int milliseconds)
{
    link_.pauseBeforeRead(std::chrono::milliseconds(milliseconds), kShortFrameLength);
    return !stopRequested_.load();
}

void SerialSessionLine::wake()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
    }
    woken_.notify_all();
}

std::int64_t SerialSessionLine::nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
