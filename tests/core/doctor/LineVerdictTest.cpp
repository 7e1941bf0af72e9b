// What a captured stream holds, cut as the monitor's reader cuts it, and the
// verdict and exit status the doctor gives for it: silence, bytes without
// frames, frames of a foreign length, a charge running, an idle charger, a
// noisy line.
#include "doctor/LineVerdict.h"

#include "io/acquisition/ChargerFrames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace ChargerFrames;
using Bytes = std::vector<std::uint8_t>;

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes times(int n, const Bytes& b)
{
    Bytes out;
    for (int i = 0; i < n; ++i)
        out = out + b;
    return out;
}

Bytes atRest(std::uint8_t marker)
{
    Bytes f = variant1(marker);
    f[33] = 0x80; // 0.00 A
    f[34] = 0x80;
    return f;
}

Bytes bracelessNoise(int n)
{
    Bytes out;
    for (int i = 0; out.size() < static_cast<std::size_t>(n); ++i) {
        const auto b = static_cast<std::uint8_t>(1 + (i * 37) % 255);
        if (b != '{' && b != '}')
            out.push_back(b);
    }
    return out;
}

Bytes frameOf(std::size_t length)
{
    Bytes f(length, 0x90);
    f.front() = '{';
    f.back() = '}';
    return f;
}

struct Case {
    const char* name;
    Bytes stream;
    LineVerdict::Kind kind;
    const char* line;
    int exitStatus;
    std::size_t notes;
};

TEST(LineVerdict, SaysWhatTheLineCarriesAndExitsAccordingly)
{
    const Bytes start = variant1(kMarkerStart);
    const Bytes running = variant1(kMarkerRunning);
    const Case cases[] = {
        {"nothing", {}, LineVerdict::Kind::Silent, "silent: is the charger switched on and in PC-link mode?", 7, 0},
        {"bytes without braces", bracelessNoise(500), LineVerdict::Kind::NoFrames,
         "bytes arrive but no frames: wrong device or baud?", 6, 0},
        {"zero bytes (a wrong baud rate)", Bytes(300, 0x00), LineVerdict::Kind::NoFrames,
         "bytes arrive but no frames: wrong device or baud?", 6, 0},
        {"frames of 40 bytes", times(5, frameOf(40)) + frameOf(41), LineVerdict::Kind::ForeignFrames,
         "frames arrive, but of 40 bytes, not 76 or 112: is this the charger?", 6, 0},
        {"a charge starting", start + times(4, running), LineVerdict::Kind::ChargeRunning,
         "charger talking, charge running", 0, 0},
        {"a charge under way, its start missed", times(4, running), LineVerdict::Kind::ChargeRunning,
         "charger talking, charge running", 0, 1},
        {"at rest: running and end frames without current",
         times(3, atRest(kMarkerRunning)) + atRest(kMarkerEnd) + atRest(kMarkerRunning),
         LineVerdict::Kind::NoCharge, "charger talking, no charge running", 0, 0},
        {"a charge that just ended", start + times(3, running) + variant1(kMarkerEnd), LineVerdict::Kind::NoCharge,
         "charger talking, no charge running", 0, 0},
        {"112-byte frames of a charge", times(4, variant2(0x82)), LineVerdict::Kind::ChargeRunning,
         "charger talking, charge running", 0, 0},
        {"112-byte end frames only", times(4, variant2(kMarkerEnd)), LineVerdict::Kind::NoCharge,
         "charger talking, no charge running", 0, 0},
        {"frames cut by the start and end of listening", Bytes(running.begin() + 30, running.end()) + start
             + times(3, running) + Bytes(running.begin(), running.begin() + 50),
         LineVerdict::Kind::ChargeRunning, "charger talking, charge running", 0, 0},
        {"noise between frames", start + bracelessNoise(20) + running + bracelessNoise(15) + running,
         LineVerdict::Kind::ChargeRunning, "charger talking, charge running; the line is noisy", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LineVerdict v = judgeLine(analyseStream(c.stream));
        EXPECT_EQ(v.kind, c.kind);
        EXPECT_EQ(v.line, c.line);
        EXPECT_EQ(v.exitStatus, c.exitStatus);
        EXPECT_EQ(v.notes.size(), c.notes);
    }
}

TEST(StreamAnalysis, CountsFramesKindsAndBytesAsTheMonitorReadsThem)
{
    const Bytes start = variant1(kMarkerStart, 0x8C);
    const Bytes running = variant1(kMarkerRunning, 0x8D);
    Bytes broken = running;
    broken[40] = 0x00; // the reader abandons this one
    Bytes overlong(200, 0x90);
    overlong.front() = '{';
    overlong.back() = '}';
    const Bytes stream = Bytes{0x11, 0x22} + start + broken + running + bracelessNoise(7) + overlong
        + variant1(kMarkerEnd) + frameOf(50) + Bytes{'{', 0x90, 0x90};

    const StreamAnalysis a = analyseStream(stream);
    EXPECT_EQ(a.bytes, static_cast<std::int64_t>(stream.size()));
    EXPECT_EQ(a.shortFrames, 3);
    EXPECT_EQ(a.longFrames, 0);
    EXPECT_EQ(a.otherFrames, 1);
    EXPECT_EQ(a.commonOtherLength, 50);
    EXPECT_EQ(a.starts, 1);
    EXPECT_EQ(a.runnings, 2); // the 50-byte frame is read as variant 1, running
    EXPECT_EQ(a.ends, 1);
    EXPECT_EQ(a.overlongFrames, 1);
    EXPECT_EQ(a.bytesInFrames, 3 * 76 + 50);
    // Between the first and last whole frame: the broken frame, the noise and the overlong frame.
    EXPECT_EQ(a.strayBytes, 76 + 7 + 200);
    EXPECT_EQ(a.discardedBytes(), 2 + 76 + 7 + 200 + 3);
    ASSERT_TRUE(a.hasSample);
    EXPECT_EQ(a.sampleVariant, 1);
    EXPECT_FLOAT_EQ(a.sample.current, 2.0f);
    ASSERT_TRUE(a.hasLastKind);
    EXPECT_EQ(a.lastKind, FrameKind::End); // the 50-byte frame is no whole frame of its variant
}

} // namespace
