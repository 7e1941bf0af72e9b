#pragma once

#include "acquisition/AcquisitionLoop.h"
#include "recorder/SessionEnd.h"
#include "recorder/SessionHost.h"
#include "recorder/SessionLine.h"

#include <atomic>
#include <cstdint>
#include <optional>

// The recorder's acquisition thread: the monitor's loop, plus what unattended
// recording needs around it. Without options it ends where the monitor ends
// (one charge: its end frame or the data stopping).
//  - join: a running frame with no start frame seen starts the recording (a
//    charge already under way); armed at the start and whenever the device
//    comes back while nothing is recorded.
//  - split: after a charge the session waits for the next one.
//  - reconnect: when the data stop during a charge, the charge stays open and
//    the seconds count on without records; the line is back with the first
//    whole frame (76 or 112 bytes) received again, on the same device or on
//    the one that took its name.
//    A vanished device is waited for, during a charge and between charges.
class RecorderSession {
public:
    struct Options {
        bool join = false;
        bool split = false;
        bool reconnect = false;
        int giveUpSeconds = 0; // reconnect: end a charge whose line stays lost this long; 0 never
    };

    RecorderSession(SessionLine& line, SharedWords& words, LiveRecord& liveRecord, SessionHost& host,
                    const std::atomic<bool>& stopRequested, Options options);

    // Opens the line and records until the session ends. A charge still open
    // when it returns (Stopped) is the caller's to close.
    SessionEnd run();

private:
    std::optional<SessionEnd> onFrame();
    std::optional<SessionEnd> onSilence();
    // Closes the line and opens it again once its device is back.
    std::optional<SessionEnd> awaitDevice(bool duringCharge);
    std::optional<SessionEnd> giveUpIfTooLong();

    bool recording() const { return words_.recordingTimer.load() != 0; }

    SessionLine& line_;
    SharedWords& words_;
    SessionHost& host_;
    Options options_;
    AcquisitionLoop loop_;
    bool joinArmed_ = false;
    bool outage_ = false; // the data stopped during a charge that stays open
    std::int64_t outageSinceMs_ = 0;
};
