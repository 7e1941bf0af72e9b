// Cutting the byte stream into frames: leading noise, frame lengths, braces
// inside frames, silence and 0x00 bytes, overlong frames that must never be
// stored past the 112-byte buffer, and the variant chosen by a frame's length.
#include "acquisition/FrameReader.h"

#include "ScriptedByteSource.h"
#include "TestFrames.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using testframes::frame;

// The buffer lives on the heap on its own so that any write past its end
// lands in an ASan red zone.
struct ReaderFixture : ::testing::Test {
    ScriptedByteSource source;
    FrameReader reader{source};
    std::unique_ptr<FrameBuffer> buffer = std::make_unique<FrameBuffer>();

    int read()
    {
        buffer->fill(0);
        return reader.readFrame(*buffer);
    }

    void expectBufferHolds(const std::vector<std::uint8_t>& bytes)
    {
        for (std::size_t i = 0; i < buffer->size(); ++i) {
            const std::uint8_t expected = i < bytes.size() ? bytes[i] : 0;
            ASSERT_EQ((*buffer)[i], expected) << "index " << i;
        }
    }
};

TEST_F(ReaderFixture, SkipsLeadingNoiseAndReadsA76ByteFrame)
{
    const auto f = frame(76, 0x90);
    source.append({0x41, 0x42});
    source.append(f);
    EXPECT_EQ(read(), 76);
    expectBufferHolds(f);
    EXPECT_EQ(source.remaining(), 0u);
}

TEST_F(ReaderFixture, ReturnsEachFrameLengthWithBothBracesStored)
{
    for (std::size_t length : {2u, 3u, 50u, 76u, 111u, 112u}) {
        SCOPED_TRACE(length);
        ScriptedByteSource own;
        FrameReader ownReader(own);
        const auto f = frame(length, 0xA5);
        own.append(f);
        buffer->fill(0);
        EXPECT_EQ(ownReader.readFrame(*buffer), static_cast<int>(length));
        expectBufferHolds(f);
        EXPECT_EQ(ownReader.discardedOverlongFrames(), 0);
    }
}

TEST_F(ReaderFixture, ReadsConsecutiveFramesOneAtATimeWithoutConsumingTheNext)
{
    const auto first = frame(76, 0x81);
    const auto second = frame(112, 0x82);
    source.append(first);
    source.append({0x20});
    source.append(second);
    EXPECT_EQ(read(), 76);
    EXPECT_EQ(source.consumed(), 76u);
    EXPECT_EQ(read(), 112);
    expectBufferHolds(second);
}

TEST_F(ReaderFixture, OpenBraceInsideAFrameIsAnOrdinaryDataByte)
{
    const auto f = frame(76, 0x90, {{10, testframes::kOpen}, {40, testframes::kOpen}});
    source.append(f);
    EXPECT_EQ(read(), 76);
    expectBufferHolds(f);
}

TEST_F(ReaderFixture, SilenceBeforeAnyOpenBraceReturnsZero)
{
    source.append({0x41, 0x42, 0x43});
    source.silence();
    source.append(frame(76));
    EXPECT_EQ(read(), 0);
    EXPECT_EQ(source.consumed(), 4u);
    EXPECT_EQ(read(), 76);
}

TEST_F(ReaderFixture, FrameCutBySilenceIsAbandonedAndTheNextFrameIsRead)
{
    auto cut = frame(76, 0x90);
    cut.resize(30);
    source.append(cut);
    source.silence();
    const auto next = frame(76, 0x91);
    source.append(next);
    EXPECT_EQ(read(), 0);
    EXPECT_EQ(read(), 76);
    expectBufferHolds(next);
}

TEST_F(ReaderFixture, EndOfInputInsideAFrameReturnsZero)
{
    auto cut = frame(112, 0x90);
    cut.resize(111);
    source.append(cut);
    EXPECT_EQ(read(), 0);
}

TEST_F(ReaderFixture, ZeroByteInsideAFrameAbandonsIt)
{
    source.append(frame(76, 0x90, {{20, 0x00}}));
    const auto next = frame(76, 0x91);
    source.append(next);
    EXPECT_EQ(read(), 0);
    EXPECT_EQ(source.consumed(), 21u);
    // The abandoned frame's tail is noise before the next opening brace.
    EXPECT_EQ(read(), 76);
    expectBufferHolds(next);
}

TEST_F(ReaderFixture, OverlongFramesAreDiscardedAndTheFollowingFrameIsRead)
{
    for (std::size_t length : {113u, 200u, 5000u}) {
        SCOPED_TRACE(length);
        ScriptedByteSource own;
        FrameReader ownReader(own);
        own.append(frame(length, 0x90));
        const auto valid = frame(76, 0x91, {{24, 0x81}});
        own.append(valid);
        buffer->fill(0);
        EXPECT_EQ(ownReader.readFrame(*buffer), 76);
        expectBufferHolds(valid);
        EXPECT_EQ(ownReader.discardedOverlongFrames(), 1);
        EXPECT_EQ(own.remaining(), 0u);
    }
}

TEST_F(ReaderFixture, OverlongFrameDoesNotResynchroniseOnAnOpenBraceInItsData)
{
    // Past the buffer's end the overlong frame carries what looks like a
    // 76-byte frame; it is still the overlong frame's data.
    auto overlong = frame(300, 0x90);
    overlong[150] = testframes::kOpen;
    overlong[225] = 0x92; // would be index 75 of the lookalike
    source.append(overlong);
    const auto valid = frame(112, 0x93);
    source.append(valid);
    EXPECT_EQ(read(), 112);
    expectBufferHolds(valid);
    EXPECT_EQ(reader.discardedOverlongFrames(), 1);
}

TEST_F(ReaderFixture, ShortFrameAfterAnOverlongOneHasAZeroTail)
{
    source.append(frame(200, 0x99));
    const auto shortFrame = frame(50, 0x94);
    source.append(shortFrame);
    EXPECT_EQ(read(), 50);
    expectBufferHolds(shortFrame);
}

TEST_F(ReaderFixture, SeveralOverlongFramesInARowAreAllCounted)
{
    source.append(frame(113));
    source.append({0x01, 0x02});
    source.append(frame(500));
    source.append(frame(113));
    source.append(frame(2));
    EXPECT_EQ(read(), 2);
    EXPECT_EQ(reader.discardedOverlongFrames(), 3);
}

TEST_F(ReaderFixture, SilenceWhileDiscardingAnOverlongFrameReturnsZero)
{
    auto overlong = frame(400, 0x90);
    overlong.resize(250);
    source.append(overlong);
    source.silence();
    source.append(frame(76));
    EXPECT_EQ(read(), 0);
    EXPECT_EQ(reader.discardedOverlongFrames(), 1);
    EXPECT_EQ(read(), 76);
}

TEST(FrameVariant, SelectedByExactLengthOtherwiseKept)
{
    struct Case {
        int length;
        int current;
        int expected;
    };
    const Case cases[] = {
        {76, 0, 1}, {76, 2, 1}, {112, 0, 2}, {112, 1, 2}, {50, 0, 0}, {50, 1, 1},
        {50, 2, 2}, {2, 1, 1}, {75, 0, 0}, {77, 2, 2}, {111, 1, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(variantForLength(c.length, c.current), c.expected)
            << "length " << c.length << " current " << c.current;
}

} // namespace
