// The recorder's session on a scripted line: which frames start and end a
// charge with and without --join, --split and --reconnect; what the line
// coming back, a start frame after an outage, a vanished device and a run-out
// --give-up do; and the exit status each ending gives.
#include "recorder/RecorderSession.h"

#include "io/acquisition/ChargerFrames.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace ChargerFrames;

// Script items beside bytes 0..255.
constexpr int kSilence = -1;       // a second with no byte
constexpr int kVanishBase = -100;  // the device vanishes; -100 - n: n opens fail before it is back
constexpr std::int64_t kScriptEndsAfterMs = 30'000; // then a stop request ends the session

// A line that plays a script and keeps a clock that only moves when the line
// waits: one second per silent read, the pause's length per pause.
class ScriptedLine : public SessionLine, public ByteSource {
public:
    ScriptedLine(std::vector<int> script, std::atomic<bool>& stop, int failingOpensAtStart = 0)
        : script_(std::move(script)), stop_(stop), failingOpens_(failingOpensAtStart) {}

    ByteSource& bytes() override { return *this; }
    int readByte() override
    {
        if (next_ >= script_.size()) {
            wait(1000);
            return 0;
        }
        const int item = script_[next_++];
        if (item <= kVanishBase) {
            gone_ = true;
            failingOpens_ = kVanishBase - item;
            wait(1000);
            return 0;
        }
        if (gone_ || item == kSilence) {
            if (gone_)
                --next_; // the rest of the script waits for the device to come back
            wait(1000);
            return 0;
        }
        return item;
    }
    std::string open() override
    {
        ++opens;
        if (failingOpens_ > 0) {
            --failingOpens_;
            return "no such device: /dev/fake";
        }
        gone_ = false;
        open_ = true;
        return {};
    }
    void close() override { open_ = false; }
    bool stillThere() override { return open_ && !gone_; }
    std::string name() const override { return "COM9 (/dev/fake)"; }
    bool pause(int milliseconds) override
    {
        wait(milliseconds);
        return !stop_.load();
    }
    std::int64_t nowMs() override { return clockMs_; }

    int opens = 0;

private:
    void wait(int milliseconds)
    {
        clockMs_ += milliseconds;
        if (next_ >= script_.size() && clockMs_ > endMs())
            stop_.store(true);
    }
    std::int64_t endMs()
    {
        if (scriptEndMs_ < 0)
            scriptEndMs_ = clockMs_ + kScriptEndsAfterMs;
        return scriptEndMs_;
    }

    std::vector<int> script_;
    std::size_t next_ = 0;
    std::atomic<bool>& stop_;
    int failingOpens_ = 0;
    bool gone_ = false;
    bool open_ = false;
    std::int64_t clockMs_ = 0;
    std::int64_t scriptEndMs_ = -1;
};

const char* nameOf(SessionEvent e)
{
    switch (e) {
    case SessionEvent::PortOpened: return "opened";
    case SessionEvent::OpenFailed: return "openFailed";
    case SessionEvent::Joined: return "joined";
    case SessionEvent::LineLost: return "lost";
    case SessionEvent::LineLostKeptOpen: return "lostKeptOpen";
    case SessionEvent::DeviceGone: return "gone";
    case SessionEvent::Waiting: return "waiting";
    case SessionEvent::DeviceBack: return "deviceBack";
    case SessionEvent::LineBack: return "back";
    case SessionEvent::NewChargeDuringOutage: return "newCharge";
    case SessionEvent::GaveUp: return "gaveUp";
    }
    return "?";
}

// The main side: records calls; "back" carries the voltage the live record
// holds at that moment, which the next tick would log.
class RecordingHost : public SessionHost {
public:
    explicit RecordingHost(LiveRecord& live) : live_(live) {}
    int startRecordingTimer() override
    {
        calls.push_back("start");
        return kRecordingTimerId;
    }
    void stopRecordingTimer() override { calls.push_back("stop"); }
    void repaintOverviewWithoutErase() override {}
    void beep() override { calls.push_back("beep"); }
    void sessionEvent(SessionEvent event, const std::string&) override
    {
        std::string call = nameOf(event);
        if (event == SessionEvent::LineBack)
            call += " v=" + std::to_string(static_cast<int>(live_.copy().voltage));
        if (event != SessionEvent::PortOpened)
            calls.push_back(call);
    }
    std::vector<std::string> calls;

private:
    LiveRecord& live_;
};

using Script = std::vector<int>;

Script operator+(Script a, const Script& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Script bytes(const std::vector<std::uint8_t>& frame) { return Script(frame.begin(), frame.end()); }

// Voltage byte 0x80 + v gives a voltage of v + 0.25 V.
Script start(int v = 1) { return bytes(variant1(kMarkerStart, static_cast<std::uint8_t>(0x80 + v))); }
Script running(int v) { return bytes(variant1(kMarkerRunning, static_cast<std::uint8_t>(0x80 + v))); }
Script end() { return bytes(variant1(kMarkerEnd)); }
Script start2(int v) { return bytes(variant2(0x82, static_cast<std::uint8_t>(0x80 + v))); }
Script end2() { return bytes(variant2(kMarkerEnd)); }
const Script silence{kSilence};
Script vanish(int failingOpens) { return {kVanishBase - failingOpens}; }

struct Case {
    const char* name;
    RecorderSession::Options options;
    Script script;
    std::vector<std::string> calls;
    SessionEnd end;
    int failingOpensAtStart = 0;
};

RecorderSession::Options opts(bool join, bool split, bool reconnect, int giveUp = 0)
{
    RecorderSession::Options o;
    o.join = join;
    o.split = split;
    o.reconnect = reconnect;
    o.giveUpSeconds = giveUp;
    return o;
}

const RecorderSession::Options plain = opts(false, false, false);

TEST(RecorderSession, EndsChargesAndFollowsTheLineAsTheOptionsSay)
{
    const Case cases[] = {
        {"as the monitor: start to end frame", plain, start() + running(2) + end(), {"start", "stop"},
         SessionEnd::ChargeEnded},
        {"as the monitor: silence ends the charge", plain, start() + running(2) + silence,
         {"start", "lost", "stop", "beep"}, SessionEnd::LineLost},
        {"as the monitor: running frames start nothing", plain, running(1) + running(2) + end(), {},
         SessionEnd::Stopped},
        {"join: a running frame starts the charge", opts(true, false, false), running(1) + running(2) + end(),
         {"start", "joined", "stop"}, SessionEnd::ChargeEnded},
        {"join: after an end frame running frames are no charge", opts(true, false, false),
         end() + running(1) + running(2), {}, SessionEnd::Stopped},
        {"join: a start frame starts it without joining", opts(true, false, false), start() + running(2) + end(),
         {"start", "stop"}, SessionEnd::ChargeEnded},
        {"split: one charge after the other", opts(false, true, false),
         start() + end() + running(3) + start(4) + end(), {"start", "stop", "start", "stop"}, SessionEnd::Stopped},
        {"split: silence ends a charge, the next one is recorded", opts(false, true, false),
         start() + silence + start(2) + end(), {"start", "lost", "stop", "beep", "start", "stop"},
         SessionEnd::Stopped},
        {"reconnect: the charge stays open and goes on with fresh data", opts(false, false, true),
         start(1) + running(2) + silence + silence + running(7) + end(),
         {"start", "lostKeptOpen", "back v=7", "stop"}, SessionEnd::ChargeEnded},
        {"reconnect: a vanished device is waited for", opts(false, false, true),
         start(1) + running(2) + vanish(2) + running(8) + end(),
         {"start", "lostKeptOpen", "gone", "waiting", "deviceBack", "back v=8", "stop"}, SessionEnd::ChargeEnded},
        {"reconnect: a broken frame is not the line back", opts(false, false, true),
         start(1) + silence + bytes({'{', 0x90, 0x90, '}'}) + silence + running(6) + end(),
         {"start", "lostKeptOpen", "back v=6", "stop"}, SessionEnd::ChargeEnded},
        {"reconnect: an end frame is the first thing back", opts(false, false, true),
         start(1) + silence + end(), {"start", "lostKeptOpen", "back v=1", "stop"}, SessionEnd::ChargeEnded},
        {"reconnect: a start frame after the outage is a new charge", opts(false, false, true),
         start(1) + running(2) + silence + start(5) + end(), {"start", "lostKeptOpen", "newCharge", "stop"},
         SessionEnd::ChargeInterrupted},
        {"reconnect and split: the new charge is recorded", opts(false, true, true),
         start(1) + silence + start(5) + end(), {"start", "lostKeptOpen", "newCharge", "stop", "start", "stop"},
         SessionEnd::Stopped},
        {"reconnect, 112-byte frames: every frame is a start, the charge goes on", opts(false, false, true),
         start2(1) + start2(2) + silence + start2(6) + end2(), {"start", "lostKeptOpen", "back v=6", "stop"},
         SessionEnd::ChargeEnded},
        {"reconnect: give-up ends the charge", opts(false, false, true, 3), start(1) + running(2),
         {"start", "lostKeptOpen", "gaveUp", "stop"}, SessionEnd::GaveUp},
        {"reconnect: give-up while the device is away", opts(false, false, true, 3),
         start(1) + vanish(100) + running(9), {"start", "lostKeptOpen", "gone", "waiting", "gaveUp", "stop"},
         SessionEnd::GaveUp},
        {"a device that vanishes while waiting ends the session", plain, end() + vanish(0) + start(1),
         {"gone"}, SessionEnd::DeviceGone},
        {"a device that vanishes during the charge ends it", plain, start(1) + vanish(0),
         {"start", "lost", "stop", "beep", "gone"}, SessionEnd::LineLost},
        {"reconnect between charges arms the join again", opts(true, true, true),
         end() + vanish(1) + running(4) + end(), {"gone", "waiting", "deviceBack", "start", "joined", "stop"},
         SessionEnd::Stopped},
        {"a port that does not open", plain, start(1), {"openFailed"}, SessionEnd::OpenFailed, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::atomic<bool> stop{false};
        SharedWords words;
        LiveRecord live;
        RecordingHost host(live);
        ScriptedLine line(c.script, stop, c.failingOpensAtStart);
        RecorderSession session(line, words, live, host, stop, c.options);
        EXPECT_EQ(session.run(), c.end);
        EXPECT_EQ(host.calls, c.calls);
    }
}

TEST(RecorderSession, AJoinedChargeCountsFromItsFirstRunningFrame)
{
    std::atomic<bool> stop{false};
    SharedWords words;
    words.secondsCounter = 57; // left over from an earlier charge
    LiveRecord live;
    RecordingHost host(live);
    ScriptedLine line(running(3) + end(), stop);
    RecorderSession session(line, words, live, host, stop, opts(true, false, false));
    EXPECT_EQ(session.run(), SessionEnd::ChargeEnded);
    EXPECT_EQ(words.secondsCounter, 0);
    EXPECT_EQ(static_cast<int>(live.copy().voltage), 3); // the joining frame is decoded
}

TEST(RecorderSession, ExitStatusTellsHowTheSessionEnded)
{
    const struct {
        SessionEnd end;
        bool recordsLost;
        int status;
    } cases[] = {
        {SessionEnd::ChargeEnded, false, 0},      {SessionEnd::Stopped, false, 1},
        {SessionEnd::OpenFailed, false, 2},       {SessionEnd::LineLost, false, 3},
        {SessionEnd::DeviceGone, false, 3},       {SessionEnd::GaveUp, false, 3},
        {SessionEnd::ChargeInterrupted, false, 3}, {SessionEnd::ChargeEnded, true, 4},
        {SessionEnd::Stopped, true, 4},           {SessionEnd::LineLost, true, 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(exitStatusFor(c.end, c.recordsLost), c.status) << static_cast<int>(c.end) << " " << c.recordsLost;
}

} // namespace
