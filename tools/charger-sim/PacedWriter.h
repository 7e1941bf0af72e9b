#pragma once

#include "Scenario.h"

#include <atomic>
#include <chrono>
#include <string>

// Writes the stream at the charger's line rate: 9600 baud 8N1 is ten bits a
// byte, so a 76-byte frame takes about 79 ms. Frames start one period apart
// (or right after the previous one when that took longer); noise and broken
// frames follow what came before without waiting for a slot.
class PacedWriter {
public:
    PacedWriter(int fd, bool pace, int periodMs, const std::atomic<bool>& stop);

    // False on a stop request or a write error (see error()).
    bool send(const Transmission& t);
    std::string error() const { return error_; }

private:
    using Clock = std::chrono::steady_clock;
    bool writeAll(const std::uint8_t* data, std::size_t size);
    bool sleepUntil(Clock::time_point when);

    int fd_;
    bool pace_;
    Clock::duration period_;
    const std::atomic<bool>& stop_;
    Clock::time_point nextSlot_;
    std::string error_;
};
