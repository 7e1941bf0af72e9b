#pragma once

#include "acquisition/ByteSource.h"

#include <atomic>
#include <chrono>
#include <optional>

// Passes bytes through until a stop is requested or a deadline passes; from
// then on it reads as silence, so a reader blocked in a frame returns.
class GuardedByteSource : public ByteSource {
public:
    using Clock = std::chrono::steady_clock;

    GuardedByteSource(ByteSource& inner, const std::atomic<bool>& stopRequested)
        : inner_(inner), stopRequested_(stopRequested) {}

    int readByte() override;
    void expectAtLeast(int bytes) override { inner_.expectAtLeast(bytes); }

    void setDeadline(std::optional<Clock::time_point> deadline) { deadline_ = deadline; }
    // True once a stop or the deadline has cut the stream.
    bool tripped();

private:
    ByteSource& inner_;
    const std::atomic<bool>& stopRequested_;
    std::optional<Clock::time_point> deadline_;
    bool tripped_ = false;
};
