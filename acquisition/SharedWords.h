#pragma once

#include <atomic>

// The single words that the acquisition thread and the user-interface thread
// share without a lock. Each is one aligned word: a reader sees the old or the
// new value, never a torn one.
struct SharedWords {
    std::atomic<int> frameVariant{0};    // 0 none yet, 1 = 76-byte frames, 2 = 112-byte frames
    std::atomic<int> recordingTimer{0};  // 0 stopped, else the timer id (100)
    std::atomic<int> secondsCounter{0};  // ticks since the start of the charge
    std::atomic<int> cellsStatus{-1};    // -1 no lamp, 0 charge, 1 discharge, 2 connect, 3 disconnect
    std::atomic<int> cellCount{0};       // cell rows shown by the overview (live mode)
    std::atomic<int> runMode{0};         // 0 live monitoring, 1 replay
    std::atomic<int> portIndex{0};       // 0..12 for COM3..COM15, -1 none selected
    std::atomic<int> detailSeries{0};    // 0 voltage, 1 current, 2 capacity, 3 temperature
};

namespace CellsStatus {
constexpr int None = -1;
constexpr int Charge = 0;
constexpr int Discharge = 1;
constexpr int Connect = 2;
constexpr int Disconnect = 3;
}

namespace RunMode {
constexpr int Live = 0;
constexpr int Replay = 1;
}

constexpr int kRecordingTimerId = 100;
constexpr int kRecordingPeriodMs = 1000;
