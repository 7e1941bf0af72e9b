#pragma once

#include "acquisition/SerialLink.h"
#include "recorder/SessionLine.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include <sys/types.h>

// The recorder's line on a serial port named either like the monitor's COMn
// (looked up again at every open, so a COMn link that now points elsewhere is
// followed) or by a device path (/dev/serial/by-id/... stays the same when the
// adapter comes back as another ttyUSB). The device that was opened is known
// by its device number, so a vanished or replaced device is noticed.
class SerialSessionLine : public SessionLine {
public:
    // portNumber > 0 names COMn; otherwise devicePath is used.
    SerialSessionLine(SerialLink& link, int portNumber, QString devicePath, const std::atomic<bool>& stopRequested);

    ByteSource& bytes() override { return link_; }
    std::string open() override;
    void close() override;
    bool stillThere() override;
    std::string name() const override;
    bool pause(int milliseconds) override;
    bool pauseAfterFrame(int milliseconds) override;
    std::int64_t nowMs() override;

    // Ends a pause at once; called after the stop request has been set.
    void wake();

private:
    QString currentPath() const;

    SerialLink& link_;
    const int portNumber_;
    const QString devicePath_;
    const std::atomic<bool>& stopRequested_;
    QString lastPath_;
    dev_t device_ = 0;
    bool opened_ = false;
    std::mutex mutex_;
    std::condition_variable woken_;
};
