#include "doctor/LineVerdict.h"

namespace {

// Stray bytes between frames beyond this share of the line mean trouble
// (a loose cable, a second sender); a clean line carries none at all.
constexpr double kNoisyShare = 0.01;

std::string count(std::int64_t n, const char* what)
{
    return std::to_string(n) + " " + what;
}

} // namespace

LineVerdict judgeLine(const StreamAnalysis& a)
{
    LineVerdict v;
    if (a.bytes == 0) {
        v.kind = LineVerdict::Kind::Silent;
        v.line = "silent: is the charger switched on and in PC-link mode?";
        v.exitStatus = DoctorExit::kSilent;
        return v;
    }
    if (a.usableFrames() == 0) {
        v.exitStatus = DoctorExit::kNoFrames;
        if (a.otherFrames > 0) {
            v.kind = LineVerdict::Kind::ForeignFrames;
            v.line = "frames arrive, but of " + std::to_string(a.commonOtherLength)
                + " bytes, not 76 or 112: is this the charger?";
        } else {
            v.kind = LineVerdict::Kind::NoFrames;
            v.line = "bytes arrive but no frames: wrong device or baud?";
        }
        return v;
    }

    // The last whole frame says what the charger is doing now. A running
    // frame (76 bytes) is sent in a charge and at rest alike; current tells them apart.
    const bool ended = a.hasLastKind && a.lastKind == FrameKind::End;
    const bool running = !ended && a.hasSample && (a.lastKind == FrameKind::Start || a.sample.current != 0.0f);
    v.exitStatus = DoctorExit::kOk;
    if (running) {
        v.kind = LineVerdict::Kind::ChargeRunning;
        v.line = "charger talking, charge running";
        if (a.variant == 1 && a.starts == 0)
            v.notes.push_back("no start frame was seen: the monitor records a charge from its start frame only; "
                              "trelvane-record --join records one already under way");
    } else {
        v.kind = LineVerdict::Kind::NoCharge;
        v.line = "charger talking, no charge running";
    }
    if (a.strayBytes > 0 && static_cast<double>(a.strayBytes) > kNoisyShare * static_cast<double>(a.bytes)) {
        v.line += "; the line is noisy";
        v.notes.push_back(count(a.strayBytes, "bytes") + " of " + count(a.bytes, "arrived between frames")
                          + ": check the cable, and that nothing else sends on this line");
    }
    return v;
}
