#pragma once

#include "acquisition/LoopHost.h"

#include <string>

// What happened on the line, for the side that keeps the log and tells the user.
enum class SessionEvent {
    PortOpened,            // detail: the line's name
    OpenFailed,            // detail: the reason
    Joined,                // recording started at a running frame: the charge was already under way
    LineLost,              // no data during a charge: the charge ends, as in the monitor
    LineLostKeptOpen,      // no data during a charge: it stays open, seconds count on without records
    DeviceGone,            // detail: the line's name; the device vanished or was replaced
    Waiting,               // detail: why the device cannot be opened (again); repeated when the reason changes
    DeviceBack,            // detail: the line's name; opened again
    LineBack,              // frames again during a kept-open charge; the live record holds a fresh one
    NewChargeDuringOutage, // a start frame after an outage: the interrupted charge ended unseen
    GaveUp,                // the line stayed lost for longer than allowed; the charge ends
};

// The recorder's counterpart of the main window: the decoder's timer calls
// start and end a charge's recording, events say what happened on the line.
class SessionHost : public LoopHost {
public:
    virtual void sessionEvent(SessionEvent event, const std::string& detail) = 0;
};
