#pragma once

#include "doctor/StreamAnalysis.h"

#include <string>
#include <vector>

// The one-line answer to "why is my charger silent?" after listening, and the
// exit status a script can act on.
struct LineVerdict {
    enum class Kind { ChargeRunning, NoCharge, NoFrames, ForeignFrames, Silent };
    Kind kind = Kind::Silent;
    std::string line;
    int exitStatus = 0;
    // More to say, one line each ("the line is noisy ...").
    std::vector<std::string> notes;
};

namespace DoctorExit {
constexpr int kOk = 0;
constexpr int kFailure = 1;      // the output could not be written, the port failed otherwise
constexpr int kUsage = 2;
constexpr int kNoPort = 3;       // no serial port, or the one named does not exist
constexpr int kNoPermission = 4; // this user cannot open it
constexpr int kBusy = 5;         // another process holds it
constexpr int kNoFrames = 6;     // bytes arrive, but no frame the monitor can use
constexpr int kSilent = 7;       // nothing arrives
}

LineVerdict judgeLine(const StreamAnalysis& analysis);
