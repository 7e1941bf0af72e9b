#pragma once

#include "acquisition/SharedWords.h"
#include "recording/ChartState.h"
#include "recording/LogReplay.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

// A replay on a thread of its own, into a private copy of the chart state, so
// that a window stays responsive while a huge log is read. Whoever started it
// takes the finished state, or nothing after a cancel: the charts never see a
// state half filled.
class BackgroundReplay {
public:
    // Starts at once from `initial` (the state the charts have now) and the
    // cells status they show.
    BackgroundReplay(std::string path, const ChartState& initial, int cellsStatus);
    ~BackgroundReplay(); // cancels and waits for the thread
    BackgroundReplay(const BackgroundReplay&) = delete;
    BackgroundReplay& operator=(const BackgroundReplay&) = delete;

    // Waits at most `limit`; true once the replay has finished.
    bool waitFor(std::chrono::milliseconds limit);
    bool finished() const { return finished_.load(); }
    // Stops the replay after the block it is reading.
    void cancel() { cancel_.store(true); }
    // How far it has come: 0..100 % of the records the file held at the start.
    int percent() const;

    // Once finished: the report, the replayed state and the cells status.
    const ReplayReport& report() const { return report_; }
    const ChartState& state() const { return state_; }
    int cellsStatus() const { return words_.cellsStatus.load(); }

private:
    void run();

    std::string path_;
    ChartState state_;
    SharedWords words_;
    ReplayReport report_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    std::atomic<std::int64_t> done_{0};
    std::atomic<std::int64_t> total_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
};
