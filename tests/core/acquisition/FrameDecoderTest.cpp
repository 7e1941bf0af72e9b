// Decoding frames: the two byte encodings to the bit, classification of both
// variants, every field of both frame layouts, the start and end transitions
// with their calls to the main window, and the acquisition loop's handling of
// short frames that follow full-length ones.
#include "acquisition/FrameDecoder.h"

#include "ScriptedByteSource.h"
#include "TestFrames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using testframes::bits;
using testframes::bufferOf;
using testframes::frame;

TEST(DecimalPair, MatchesTheDoublePrecisionComputationToTheBit)
{
    struct Case {
        std::uint8_t integer;
        std::uint8_t hundredths;
        std::uint32_t expectedBits;
        const char* meaning;
    };
    const Case cases[] = {
        {0x83, 0x99, 0x40500000, "3 + 0.25 = 3.25"},
        {0x80, 0x80, 0x00000000, "zero"},
        {0x80, 0x81, 0x3C23D70A, "one hundredth is the float constant itself"},
        {0x81, 0x93, 0x3F9851EB, "1.19: float arithmetic would give ...EC"},
        {0x82, 0xA6, 0x401851EB, "2.38: float arithmetic would give ...EC"},
        {0x83, 0xE4, 0x40800000, "hundredths 100 add a whole unit: 4.0"},
        {0x80, 0xFF, 0x3FA28F5C, "hundredths 127: 1.27"},
        {0x7F, 0x80, 0xBF800000, "-1.0"},
        {0x7E, 0x7B, 0xC0033333, "-2 - 0.05"},
        {0x7D, 0x00, 0xC088F5C2, "closing brace then a cleared byte: -3 - 1.28"},
        {0x00, 0x00, 0xC30147AE, "two cleared bytes: -128 - 1.28"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bits(decimalPair(c.integer, c.hundredths)), c.expectedBits) << c.meaning;
}

TEST(HundredsPair, IsHundredsTimesOneHundredPlusUnits)
{
    struct Case {
        std::uint8_t hundreds;
        std::uint8_t units;
        std::int32_t expected;
    };
    const Case cases[] = {
        {0x8C, 0xA0, 1232}, {0x80, 0x80, 0},     {0x7F, 0x80, -100},  {0x80, 0x7F, -1},
        {0x7F, 0x81, -99},  {0x00, 0x00, -12928}, {0xFF, 0xFF, 12827}, {0x80, 0xE4, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hundredsPair(c.hundreds, c.units), c.expected)
            << std::hex << int(c.hundreds) << " " << int(c.units);
}

TEST(ClassifyFrame, ByMarkerByteOfEachVariant)
{
    struct Case {
        int variant;
        std::size_t index;
        std::uint8_t value;
        FrameKind expected;
    };
    const Case cases[] = {
        {1, 24, 0x80, FrameKind::End},     {1, 24, 0x81, FrameKind::Start},
        {1, 24, 0x82, FrameKind::Running}, {1, 24, 0x7F, FrameKind::Running},
        {1, 24, 0x00, FrameKind::Running}, {2, 1, 0x80, FrameKind::End},
        {2, 1, 0x81, FrameKind::Start},    {2, 1, 0x82, FrameKind::Start},
        {2, 1, 0x00, FrameKind::Start},    {2, 1, 0x7F, FrameKind::Start},
    };
    for (const Case& c : cases) {
        // The other variant's marker position holds an end marker, to show it is ignored.
        const std::size_t other = c.variant == 1 ? 1 : 24;
        const auto f = frame(c.variant == 1 ? 76 : 112, 0x90, {{c.index, c.value}, {other, 0x80}});
        EXPECT_EQ(classifyFrame(bufferOf(f), c.variant), c.expected)
            << "variant " << c.variant << " marker " << int(c.value);
    }
}

// Every field that a 76-byte frame carries, at its own index; every other
// byte is 0xEE so that a wrong index shows.
std::vector<std::uint8_t> variant1Frame(std::uint8_t marker = 0x82)
{
    return frame(76, 0xEE,
                 {{8, 0x81},                 // chargeMode 1
                  {23, 0x82},                // batteryType 2
                  {24, marker},              //
                  {33, 0x82}, {34, 0xA6},    // current 2.38
                  {35, 0x8C}, {36, 0xB2},    // voltage 12.5
                  {38, 0x99},                // temperature 25
                  {41, 0x81}, {42, 0x93},    // auxValue 1.19
                  {43, 0x8C}, {44, 0xA0},    // capacity 1232
                  {45, 0x84}, {46, 0xCF},    // cell 1: 4.79
                  {47, 0x83}, {48, 0xED},    // cell 2: 4.09
                  {49, 0x83}, {50, 0x99},    // cell 3: 3.25
                  {51, 0x81}, {52, 0x80},    // cell 4: 1.0
                  {53, 0x85}, {54, 0x80},    // cell 5: 5.0
                  {55, 0x80}, {56, 0x9B},    // cell 6: 0.27
                  {57, 0x7E}, {58, 0x7B},    // cell 7: -2.05
                  {59, 0x80}, {60, 0xAD}});  // cell 8: 0.45
}

std::vector<std::uint8_t> variant2Frame(std::uint8_t state = 0x82)
{
    return frame(112, 0xEE,
                 {{1, state},                // chargeMode = state - 129
                  {2, 0x84},                 // batteryType 132, as received
                  {4, 0x81}, {5, 0x93},      // auxValue 1.19
                  {7, 0x7F}, {8, 0x80},      // capacity -100
                  {11, 0x82}, {12, 0xA6},    // current 2.38
                  {15, 0x8C}, {16, 0xB2},    // voltage 12.5
                  {19, 0x84}, {20, 0xCF},    // cell 1: 4.79
                  {21, 0x83}, {22, 0xED},    // cell 2: 4.09
                  {23, 0x83}, {24, 0x99},    // cell 3: 3.25
                  {25, 0x81}, {26, 0x80},    // cell 4: 1.0
                  {27, 0x85}, {28, 0x80},    // cell 5: 5.0
                  {29, 0x80}, {30, 0x9B}});  // cell 6: 0.27
}

TEST(FillRecord, Variant1FieldsComeFromTheirBytes)
{
    MeasurementRecord r;
    fillRecord(r, bufferOf(variant1Frame()), 1);
    EXPECT_EQ(bits(r.current), 0x401851EBu);
    EXPECT_EQ(bits(r.voltage), 0x41480000u);
    EXPECT_EQ(bits(r.temperature), bits(25.0f));
    EXPECT_EQ(bits(r.auxValue), 0x3F9851EBu);
    EXPECT_EQ(r.capacity, 1232);
    EXPECT_EQ(r.batteryType, 2);
    EXPECT_EQ(r.chargeMode, 1);
    const std::uint32_t cells[8] = {0x409947AE, 0x4082E148, 0x40500000, 0x3F800000,
                                    0x40A00000, 0x3E8A3D70, 0xC0033333, 0x3EE66666};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(bits(r.cellVoltage[i]), cells[i]) << "cell " << i + 1;
    EXPECT_EQ(r.elapsedSeconds, 0);
}

TEST(FillRecord, Variant1TemperatureAndCodesAreOffsetBy128)
{
    MeasurementRecord r;
    fillRecord(r, bufferOf(frame(76, 0x80, {{8, 0x7E}, {23, 0x84}, {24, 0x82}, {38, 0x7B}})), 1);
    EXPECT_EQ(r.chargeMode, -2);
    EXPECT_EQ(r.batteryType, 4);
    EXPECT_EQ(bits(r.temperature), bits(-5.0f));
}

TEST(FillRecord, Variant2FieldsComeFromTheirBytesWithoutTemperatureOrCells7And8)
{
    MeasurementRecord r;
    fillRecord(r, bufferOf(variant2Frame()), 2);
    EXPECT_EQ(bits(r.current), 0x401851EBu);
    EXPECT_EQ(bits(r.voltage), 0x41480000u);
    EXPECT_EQ(bits(r.temperature), 0u);
    EXPECT_EQ(bits(r.auxValue), 0x3F9851EBu);
    EXPECT_EQ(r.capacity, -100);
    EXPECT_EQ(r.batteryType, 132);
    EXPECT_EQ(r.chargeMode, 1);
    const std::uint32_t cells[6] = {0x409947AE, 0x4082E148, 0x40500000,
                                    0x3F800000, 0x40A00000, 0x3E8A3D70};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(bits(r.cellVoltage[i]), cells[i]) << "cell " << i + 1;
    EXPECT_EQ(bits(r.cellVoltage[6]), 0u);
    EXPECT_EQ(bits(r.cellVoltage[7]), 0u);
    EXPECT_EQ(r.elapsedSeconds, 0);
}

TEST(FillRecord, Variant2ChargeModeIsStateByteMinus129)
{
    const std::pair<std::uint8_t, int> cases[] = {{0x81, 0}, {0x82, 1}, {0x80, -1}, {0x00, -129}, {0xFF, 126}};
    for (auto [state, mode] : cases) {
        MeasurementRecord r;
        fillRecord(r, bufferOf(variant2Frame(state)), 2);
        EXPECT_EQ(r.chargeMode, mode) << int(state);
    }
}

TEST(FillRecord, UnknownVariantLeavesTheRecordEmpty)
{
    for (int variant : {0, 3, -1}) {
        MeasurementRecord r;
        fillRecord(r, bufferOf(variant1Frame()), variant);
        EXPECT_TRUE(sameBits(r, MeasurementRecord{})) << variant;
    }
}

// Records each request in order, with the state it found, and checks that
// liveRecord is not locked while the main window is called.
class RecordingHost : public DecoderHost {
public:
    explicit RecordingHost(SharedWords& words, LiveRecord& live) : words_(words), live_(live) {}

    int startRecordingTimer() override
    {
        calls.push_back("start");
        secondsAtStart.push_back(words_.secondsCounter.load());
        noteLockFree();
        return startResult;
    }
    void stopRecordingTimer() override
    {
        calls.push_back("stop");
        noteLockFree();
    }
    void repaintOverviewWithoutErase() override
    {
        calls.push_back("repaint");
        noteLockFree();
    }

    int startResult = kRecordingTimerId;
    std::vector<std::string> calls;
    std::vector<int> secondsAtStart;
    bool lockHeldDuringCall = false;

private:
    // A copy from another thread must get the lock. The thread is detached so
    // that a held lock fails the test instead of hanging it in a join.
    void noteLockFree()
    {
        auto copied = std::make_shared<std::promise<void>>();
        std::future<void> done = copied->get_future();
        std::thread([this, copied] {
            live_.copy();
            copied->set_value();
        }).detach();
        if (done.wait_for(std::chrono::seconds(5)) != std::future_status::ready)
            lockHeldDuringCall = true;
    }

    SharedWords& words_;
    LiveRecord& live_;
};

struct DecoderFixture : ::testing::Test {
    SharedWords words;
    LiveRecord live;
    RecordingHost host{words, live};
    FrameDecoder decoder{words, live, host};

    MeasurementRecord sentinel()
    {
        MeasurementRecord r;
        r.voltage = 99.0f;
        r.capacity = 4242;
        r.elapsedSeconds = 7;
        return r;
    }

    void preload()
    {
        live.write([&](MeasurementRecord& r) { r = sentinel(); });
    }
};

TEST_F(DecoderFixture, TransitionsOfBothVariants)
{
    enum class Decoded { Yes, No };
    struct Case {
        const char* name;
        int variant;
        std::vector<std::uint8_t> bytes;
        int timerBefore;
        FrameDecoder::Result result;
        std::vector<std::string> calls;
        int timerAfter;
        int secondsAfter;
        int cellsAfter;
        Decoded decoded;
    };
    using R = FrameDecoder::Result;
    const Case cases[] = {
        {"v1 start while stopped", 1, variant1Frame(0x81), 0, R::Continue, {"start"}, 100, 0, -1, Decoded::Yes},
        {"v1 start while recording", 1, variant1Frame(0x81), 100, R::Continue, {}, 100, 17, -1, Decoded::Yes},
        {"v1 running while stopped", 1, variant1Frame(0x82), 0, R::Continue, {}, 0, 17, -1, Decoded::Yes},
        {"v1 running while recording", 1, variant1Frame(0x82), 100, R::Continue, {}, 100, 17, -1, Decoded::Yes},
        {"v1 end while recording", 1, variant1Frame(0x80), 100, R::Stop, {"stop"}, 0, 17, -1, Decoded::No},
        {"v1 end while stopped", 1, variant1Frame(0x80), 0, R::Continue, {"repaint"}, 0, 17, 2, Decoded::No},
        {"v2 start while stopped", 2, variant2Frame(0x81), 0, R::Continue, {"start"}, 100, 0, -1, Decoded::Yes},
        {"v2 any state starts", 2, variant2Frame(0x7F), 0, R::Continue, {"start"}, 100, 0, -1, Decoded::Yes},
        {"v2 frame while recording", 2, variant2Frame(0x82), 100, R::Continue, {}, 100, 17, -1, Decoded::Yes},
        {"v2 end while recording", 2, variant2Frame(0x80), 100, R::Stop, {"stop"}, 0, 17, -1, Decoded::No},
        {"v2 end while stopped", 2, variant2Frame(0x80), 0, R::Continue, {"repaint"}, 0, 17, 2, Decoded::No},
        {"no variant yet", 0, variant1Frame(0x80), 0, R::Continue, {}, 0, 17, -1, Decoded::No},
        {"no variant, recording", 0, variant2Frame(0x80), 100, R::Continue, {}, 100, 17, -1, Decoded::No},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SharedWords w;
        LiveRecord l;
        RecordingHost h(w, l);
        FrameDecoder d(w, l, h);
        MeasurementRecord before = sentinel();
        l.write([&](MeasurementRecord& r) { r = before; });
        w.frameVariant = c.variant;
        w.recordingTimer = c.timerBefore;
        w.secondsCounter = 17;

        EXPECT_EQ(d.decodeFrame(bufferOf(c.bytes)), c.result);
        EXPECT_EQ(h.calls, c.calls);
        EXPECT_EQ(w.recordingTimer.load(), c.timerAfter);
        EXPECT_EQ(w.secondsCounter.load(), c.secondsAfter);
        EXPECT_EQ(w.cellsStatus.load(), c.cellsAfter);
        EXPECT_EQ(w.frameVariant.load(), c.variant);
        EXPECT_FALSE(h.lockHeldDuringCall);

        MeasurementRecord expected = before;
        if (c.decoded == Decoded::Yes) {
            expected = MeasurementRecord{};
            fillRecord(expected, bufferOf(c.bytes), c.variant);
        }
        EXPECT_TRUE(sameBits(l.copy(), expected));
    }
}

TEST_F(DecoderFixture, StartResetsTheSecondsCounterBeforeStartingTheTimer)
{
    words.frameVariant = 1;
    words.secondsCounter = 55;
    decoder.decodeFrame(bufferOf(variant1Frame(0x81)));
    ASSERT_EQ(host.secondsAtStart.size(), 1u);
    EXPECT_EQ(host.secondsAtStart[0], 0);
}

TEST_F(DecoderFixture, FailedTimerStartIsRetriedAtTheNextStartFrame)
{
    words.frameVariant = 2;
    host.startResult = 0;
    decoder.decodeFrame(bufferOf(variant2Frame(0x82)));
    EXPECT_EQ(words.recordingTimer.load(), 0);
    EXPECT_EQ(live.copy().capacity, -100); // decoded regardless

    host.startResult = kRecordingTimerId;
    decoder.decodeFrame(bufferOf(variant2Frame(0x82)));
    EXPECT_EQ(words.recordingTimer.load(), kRecordingTimerId);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"start", "start"}));
}

TEST_F(DecoderFixture, DecodingClearsFieldsThatTheFrameDoesNotCarry)
{
    words.frameVariant = 1;
    decoder.decodeFrame(bufferOf(variant1Frame()));
    ASSERT_NE(bits(live.copy().cellVoltage[7]), 0u);
    words.frameVariant = 2;
    words.recordingTimer = kRecordingTimerId;
    decoder.decodeFrame(bufferOf(variant2Frame()));
    const MeasurementRecord r = live.copy();
    EXPECT_EQ(bits(r.temperature), 0u);
    EXPECT_EQ(bits(r.cellVoltage[6]), 0u);
    EXPECT_EQ(bits(r.cellVoltage[7]), 0u);
}

TEST_F(DecoderFixture, WholeChargeEndsWithStopAtTheEndFrame)
{
    words.frameVariant = 1;
    EXPECT_EQ(decoder.decodeFrame(bufferOf(variant1Frame(0x82))), FrameDecoder::Result::Continue);
    EXPECT_EQ(decoder.decodeFrame(bufferOf(variant1Frame(0x80))), FrameDecoder::Result::Continue);
    EXPECT_EQ(words.cellsStatus.load(), CellsStatus::Connect);
    EXPECT_EQ(decoder.decodeFrame(bufferOf(variant1Frame(0x81))), FrameDecoder::Result::Continue);
    EXPECT_EQ(decoder.decodeFrame(bufferOf(variant1Frame(0x81))), FrameDecoder::Result::Continue);
    EXPECT_EQ(decoder.decodeFrame(bufferOf(variant1Frame(0x82))), FrameDecoder::Result::Continue);
    EXPECT_EQ(decoder.decodeFrame(bufferOf(variant1Frame(0x80))), FrameDecoder::Result::Stop);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"repaint", "start", "stop"}));
    EXPECT_EQ(words.recordingTimer.load(), 0);
}

// The acquisition loop's per-frame steps: clear, read, variant from length, decode.
struct LoopFixture : DecoderFixture {
    ScriptedByteSource source;
    FrameReader reader{source};
    FrameBuffer buffer{};

    int step()
    {
        buffer.fill(0);
        const int length = reader.readFrame(buffer);
        if (length != 0) {
            words.frameVariant = variantForLength(length, words.frameVariant.load());
            decoder.decodeFrame(buffer);
        }
        return length;
    }
};

TEST_F(LoopFixture, ShortFrameAfterFullFramesDecodesWithZeroedTail)
{
    source.append(variant1Frame(0x82));
    source.append(frame(50, 0x90, {{24, 0x82}}));
    ASSERT_EQ(step(), 76);
    ASSERT_EQ(step(), 50);
    EXPECT_EQ(words.frameVariant.load(), 1);
    const MeasurementRecord r = live.copy();
    EXPECT_EQ(bits(r.cellVoltage[1]), bits(decimalPair(0x90, 0x90)));
    EXPECT_EQ(bits(r.cellVoltage[2]), 0xC088F5C2u); // "}" at 49, cleared byte at 50
    for (int cell = 3; cell < 8; ++cell)
        EXPECT_EQ(bits(r.cellVoltage[cell]), 0xC30147AEu) << "cell " << cell + 1; // -128 - 1.28
}

TEST_F(LoopFixture, FramesBeforeTheFirstFullLengthFrameChangeNothing)
{
    preload();
    source.append(frame(50, 0x80)); // marker 0x80 would be an end frame
    source.append(frame(2));
    ASSERT_EQ(step(), 50);
    ASSERT_EQ(step(), 2);
    EXPECT_EQ(words.frameVariant.load(), 0);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(words.cellsStatus.load(), CellsStatus::None);
    EXPECT_TRUE(sameBits(live.copy(), sentinel()));
}

TEST_F(LoopFixture, FrameCutBySilenceDecodesNothing)
{
    preload();
    auto cut = variant1Frame(0x81);
    cut.resize(30);
    source.append(cut);
    EXPECT_EQ(step(), 0);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(words.frameVariant.load(), 0);
    EXPECT_TRUE(sameBits(live.copy(), sentinel()));
}

TEST_F(LoopFixture, LongFrameSwitchesAnEarlierShortVariant)
{
    source.append(variant1Frame(0x82));
    source.append(variant2Frame(0x84));
    ASSERT_EQ(step(), 76);
    EXPECT_EQ(live.copy().batteryType, 2);
    ASSERT_EQ(step(), 112);
    EXPECT_EQ(words.frameVariant.load(), 2);
    EXPECT_EQ(live.copy().batteryType, 132);
    EXPECT_EQ(live.copy().chargeMode, 3);
}

} // namespace
