#pragma once

// Why a recorder session ended, and the exit status that tells a script so.
enum class SessionEnd {
    ChargeEnded,       // the charger's end frame
    LineLost,          // the data stopped during the charge, which ended there
    DeviceGone,        // the device vanished or was replaced
    GaveUp,            // the line stayed lost for longer than allowed
    ChargeInterrupted, // the charger began a new charge while the line was down
    OpenFailed,        // the port could not be opened at the start
    Stopped,           // SIGINT or SIGTERM
};

namespace RecorderExit {
constexpr int kChargeEnded = 0;
constexpr int kStopped = 1;
constexpr int kUsageOrPort = 2;
constexpr int kLineLost = 3;
constexpr int kRecordsLost = 4;
}

// A record that could not be written outweighs every other ending: the log is
// incomplete, whatever else happened.
int exitStatusFor(SessionEnd end, bool recordsLost);
