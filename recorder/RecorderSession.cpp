#include "recorder/RecorderSession.h"

namespace {

// The monitor's pause after every pass of its loop.
constexpr int kPauseMs = 20;
// Between attempts to open a vanished device: a re-plugged adapter takes
// about a second to appear.
constexpr int kReopenPauseMs = 1000;

int frameLengthOf(int variant)
{
    return variant == 1 ? kShortFrameLength : variant == 2 ? kLongFrameLength : -1;
}

} // namespace

RecorderSession::RecorderSession(SessionLine& line, SharedWords& words, LiveRecord& liveRecord, SessionHost& host,
                                 const std::atomic<bool>& stopRequested, Options options)
    : line_(line), words_(words), host_(host), options_(options),
      loop_(line.bytes(), words, liveRecord, host, stopRequested)
{
}

SessionEnd RecorderSession::run()
{
    const std::string reason = line_.open();
    if (!reason.empty()) {
        host_.sessionEvent(SessionEvent::OpenFailed, reason);
        return SessionEnd::OpenFailed;
    }
    host_.sessionEvent(SessionEvent::PortOpened, line_.name());
    joinArmed_ = options_.join;

    for (;;) {
        std::optional<SessionEnd> end;
        const AcquisitionLoop::Read read = loop_.read();
        switch (read) {
        case AcquisitionLoop::Read::Cancelled: return SessionEnd::Stopped;
        case AcquisitionLoop::Read::Frame: end = onFrame(); break;
        case AcquisitionLoop::Read::NoFrame: end = onSilence(); break;
        }
        if (end)
            return *end;
        const bool goOn = read == AcquisitionLoop::Read::Frame ? line_.pauseAfterFrame(kPauseMs)
                                                                : line_.pause(kPauseMs);
        if (!goOn)
            return SessionEnd::Stopped;
    }
}

std::optional<SessionEnd> RecorderSession::onFrame()
{
    const FrameKind kind = loop_.kind();
    const int variant = words_.frameVariant.load();

    bool announceBack = false;
    if (outage_) {
        // Only a whole frame of its variant's length says the charger is back;
        // anything else is what a glitching line delivers, and is left unread.
        if (loop_.length() != frameLengthOf(variant))
            return std::nullopt;
        outage_ = false;
        if (kind == FrameKind::Start && variant == 1) {
            // In 76-byte frames the start marker opens a charge: the charger
            // began a new one while the line was down, so the one recorded
            // ended unseen. (In 112-byte frames every frame but the end frame
            // is a start frame, and the charge simply goes on.)
            host_.sessionEvent(SessionEvent::NewChargeDuringOutage, {});
            loop_.decoder().stopRecording();
            if (!options_.split)
                return SessionEnd::ChargeInterrupted;
        } else if (kind == FrameKind::End) {
            host_.sessionEvent(SessionEvent::LineBack, {});
        } else {
            // Said after the decode, so that the next record holds this frame
            // and not the last one from before the outage.
            announceBack = true;
        }
    }

    // The first whole frame of its variant decides a join: a running frame
    // means a charge already under way; a start frame begins the charge
    // itself; after an end frame what runs is no charge. A frame of another
    // length is read with the old variant and may be anything.
    if (joinArmed_ && loop_.length() == frameLengthOf(variant)) {
        joinArmed_ = false;
        if (kind == FrameKind::Running && variant == 1 && !recording()) {
            loop_.decoder().startRecording();
            if (recording())
                host_.sessionEvent(SessionEvent::Joined, {});
        }
    }

    const AcquisitionLoop::Outcome outcome = loop_.apply();
    if (announceBack)
        host_.sessionEvent(SessionEvent::LineBack, {});
    if (outcome == AcquisitionLoop::Outcome::ChargeEnded && !options_.split)
        return SessionEnd::ChargeEnded;
    return std::nullopt;
}

std::optional<SessionEnd> RecorderSession::onSilence()
{
    if (recording() && options_.reconnect) {
        if (!outage_) {
            outage_ = true;
            outageSinceMs_ = line_.nowMs();
            host_.sessionEvent(SessionEvent::LineLostKeptOpen, {});
        }
        if (!line_.stillThere())
            return awaitDevice(true);
        return giveUpIfTooLong();
    }

    const bool wasRecording = recording();
    if (wasRecording)
        host_.sessionEvent(SessionEvent::LineLost, {});
    loop_.apply(); // the monitor's rule: the recording stops, the lamp shows disconnect

    const bool gone = !line_.stillThere();
    if (wasRecording && !options_.split) {
        if (gone)
            host_.sessionEvent(SessionEvent::DeviceGone, line_.name());
        return SessionEnd::LineLost;
    }
    if (!gone)
        return std::nullopt;
    if (!options_.reconnect) {
        host_.sessionEvent(SessionEvent::DeviceGone, line_.name());
        return SessionEnd::DeviceGone;
    }
    return awaitDevice(false);
}

std::optional<SessionEnd> RecorderSession::awaitDevice(bool duringCharge)
{
    host_.sessionEvent(SessionEvent::DeviceGone, line_.name());
    line_.close();
    std::string lastReason;
    for (;;) {
        if (duringCharge) {
            if (const auto end = giveUpIfTooLong())
                return end;
        }
        if (!line_.pause(kReopenPauseMs))
            return SessionEnd::Stopped;
        const std::string reason = line_.open();
        if (reason.empty())
            break;
        if (reason != lastReason)
            host_.sessionEvent(SessionEvent::Waiting, reason);
        lastReason = reason;
    }
    host_.sessionEvent(SessionEvent::DeviceBack, line_.name());
    // Between charges a charge may have begun while the device was away.
    if (!recording())
        joinArmed_ = options_.join;
    return std::nullopt;
}

std::optional<SessionEnd> RecorderSession::giveUpIfTooLong()
{
    if (options_.giveUpSeconds <= 0)
        return std::nullopt;
    if (line_.nowMs() - outageSinceMs_ < static_cast<std::int64_t>(options_.giveUpSeconds) * 1000)
        return std::nullopt;
    host_.sessionEvent(SessionEvent::GaveUp, {});
    outage_ = false;
    loop_.decoder().stopRecording();
    return SessionEnd::GaveUp;
}
