#pragma once

#include "acquisition/ByteSource.h"

#include <QSerialPort>
#include <QString>

#include <array>
#include <atomic>
#include <chrono>

// The charger's serial port: read-only, exclusive, 9600 baud 8N1, one byte per
// read with a wait of about one second.
//
// Bytes are read from the line in blocks and handed out from a buffer; the
// thread waits only when the buffer is empty, and when the caller expects a
// run of bytes (a frame under way) it waits once for the time the line needs
// to carry them instead of waking for every few bytes.
class SerialLink : public ByteSource {
public:
    SerialLink();
    ~SerialLink() override;

    // Opens COMn as named by devicePathForPort. On failure, failureReason()
    // says why in one line.
    bool openPort(int portNumber);
    // Opens a device path directly (tools, tests).
    bool openDevice(const QString& devicePath);

    // One byte, or 0 when none arrives within about one second (1.0 s, plus
    // at most one coalesced wait, under 0.13 s). Returns 0 at once when
    // abort() has been called.
    int readByte() override;
    void expectAtLeast(int bytes) override;

    // The caller rests at least `pause` before its next read and then wants a
    // run of `nextRun` bytes (a frame): the next read sleeps once, for the
    // pause or, when longer, until the line can have carried that run.
    // Abortable like every wait.
    void pauseBeforeRead(std::chrono::milliseconds pause, int nextRun);

    // Makes a blocked or later readByte return 0 promptly. Thread-safe and
    // async-signal-safe.
    void abort();

    // How often a read has put the thread to sleep, waiting for the line.
    long long waits() const { return waits_; }

    // Time the line takes to carry `bytes` at 9600 baud 8N1 (10 bits each).
    static std::chrono::microseconds lineTime(int bytes);

    void close();
    bool isOpen() const;
    QString devicePath() const { return devicePath_; }
    QString failureReason() const { return failureReason_; }

private:
    using Clock = std::chrono::steady_clock;

    // Fills the empty buffer; false when nothing came within the time-out
    // or the link was aborted.
    bool refill();
    // Takes what the line holds now, without waiting; true when any.
    bool drain();
    // Waits for bytes until `deadline`; false on silence, hang-up or abort.
    bool waitForBytes(Clock::time_point deadline);
    // Sleeps until `deadline` unless aborted first; false when aborted.
    bool sleepUntil(Clock::time_point deadline);

    QSerialPort* port_ = nullptr; // created on the thread that opens it
    QString devicePath_;
    QString failureReason_;
    std::atomic<bool> aborted_{false};
    int wakeFd_ = -1;  // readable once aborted: ends any wait at once
    std::array<unsigned char, 4096> buffer_{};
    int head_ = 0;     // next byte to hand out
    int tail_ = 0;     // end of the bytes read
    int expected_ = 0; // bytes the caller needs before it can act
    long long waits_ = 0;
    bool pausing_ = false;
    Clock::time_point pauseUntil_{};
    int pauseRun_ = 0;
};
