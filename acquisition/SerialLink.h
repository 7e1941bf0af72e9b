#pragma once

#include "acquisition/ByteSource.h"

#include <QSerialPort>
#include <QString>

#include <atomic>

// The charger's serial port: read-only, exclusive, 9600 baud 8N1, one byte per
// read with a wait of about one second.
class SerialLink : public ByteSource {
public:
    SerialLink();
    ~SerialLink() override;

    // Opens COMn as named by devicePathForPort. On failure, failureReason()
    // says why in one line.
    bool openPort(int portNumber);
    // Opens a device path directly (tools, tests).
    bool openDevice(const QString& devicePath);

    // One byte, or 0 after about one second without one. Returns 0 at once
    // when abort() has been called.
    int readByte() override;

    // Makes a blocked or later readByte return 0 promptly. Thread-safe.
    void abort() { aborted_.store(true); }

    void close();
    bool isOpen() const;
    QString devicePath() const { return devicePath_; }
    QString failureReason() const { return failureReason_; }

private:
    QSerialPort* port_ = nullptr; // created on the thread that opens it
    QString devicePath_;
    QString failureReason_;
    std::atomic<bool> aborted_{false};
};
