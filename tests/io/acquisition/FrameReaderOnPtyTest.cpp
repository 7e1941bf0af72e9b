// The frame reader pulling from a real serial link on a pseudo-terminal, with
// the link reading the line in blocks: frames delivered in one block, byte by
// byte and with pauses just under and just over the one-second limit give the
// same frames (or the same abandonment) as a byte-at-a-time reader would; a
// frame at the line's own pace costs a handful of waits, not one per burst;
// and an abort ends a wait for the rest of a frame at once.

#include "acquisition/FrameDecoder.h"
#include "acquisition/FrameReader.h"
#include "acquisition/SerialLink.h"
#include "io/acquisition/ChargerFrames.h"
#include "io/acquisition/LinkOnPty.h"
#include "io/acquisition/PseudoTerminal.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

std::string asText(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to)
{
    return std::string(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(to));
}

RecordBytes decoded(const FrameBuffer& buffer)
{
    MeasurementRecord record{};
    fillRecord(record, buffer, 1);
    return toBytes(record);
}

FrameBuffer bufferOf(const std::vector<std::uint8_t>& frame)
{
    FrameBuffer buffer{};
    std::copy(frame.begin(), frame.end(), buffer.begin());
    return buffer;
}

struct Delivery {
    const char* name;
    std::size_t pauseAfter; // bytes written before the pause (0: no pause)
    int pauseMs;
    bool singleBytes;       // one write per byte instead of blocks
    int expectedLength;     // 0: the frame is abandoned
};

void PrintTo(const Delivery& d, std::ostream* out)
{
    *out << d.name;
}

class FrameReaderOnPty : public LinkOnPty<::testing::TestWithParam<Delivery>> {};

const Delivery kDeliveries[] = {
    {"InOneBlock", 0, 0, false, 76},
    {"In76SingleBytes", 0, 0, true, 76},
    {"PauseJustUnderASecondAfterTheBrace", 1, 850, false, 76},
    {"PauseJustUnderASecondMidFrame", 40, 850, false, 76},
    {"SingleBytesPausingJustUnderASecond", 60, 850, true, 76},
    {"PauseJustOverASecondMidFrame", 40, 1250, false, 0},
    {"PauseJustOverASecondBeforeTheClosingBrace", 75, 1250, false, 0},
};

TEST_P(FrameReaderOnPty, DeliveryGivesTheDescribedFrame)
{
    const Delivery& d = GetParam();
    const std::vector<std::uint8_t> frame = ChargerFrames::variant1(ChargerFrames::kMarkerRunning, 0x8D);
    std::thread writer([&] {
        auto send = [&](std::size_t from, std::size_t to) {
            if (!d.singleBytes) {
                pty.write(asText(frame, from, to));
                return;
            }
            for (std::size_t i = from; i < to; ++i) {
                pty.write(asText(frame, i, i + 1));
                std::this_thread::sleep_for(1ms);
            }
        };
        const std::size_t split = d.pauseAfter == 0 ? frame.size() : d.pauseAfter;
        send(0, split);
        std::this_thread::sleep_for(std::chrono::milliseconds(d.pauseMs));
        send(split, frame.size());
    });

    FrameReader reader(link);
    FrameBuffer buffer{};
    const int length = reader.readFrame(buffer);
    writer.join();

    EXPECT_EQ(length, d.expectedLength);
    if (d.expectedLength != 0) {
        EXPECT_EQ(buffer, bufferOf(frame));
        EXPECT_EQ(decoded(buffer), decoded(bufferOf(frame))) << "decodes as the frame that was sent";
    }

    // Whatever became of this frame, the reader finds the next one.
    const std::vector<std::uint8_t> next = ChargerFrames::variant1(ChargerFrames::kMarkerRunning, 0x90);
    ASSERT_TRUE(pty.write(asText(next, 0, next.size())));
    buffer.fill(0);
    EXPECT_EQ(reader.readFrame(buffer), 76);
    EXPECT_EQ(buffer, bufferOf(next));
}

INSTANTIATE_TEST_SUITE_P(Deliveries, FrameReaderOnPty, ::testing::ValuesIn(kDeliveries),
                         [](const ::testing::TestParamInfo<Delivery>& info) { return std::string(info.param.name); });

TEST(FrameReaderOnPtyPace, AFrameAtTheLineRateCostsAFewWaitsNotOnePerBurst)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    SerialLink link;
    ASSERT_TRUE(link.openDevice(pty.slavePath())) << link.failureReason().toStdString();

    // Four bytes at a time, each burst when the line would have carried it:
    // nineteen bursts, over which a byte-at-a-time reader wakes nineteen times.
    const std::vector<std::uint8_t> frame = ChargerFrames::variant1(ChargerFrames::kMarkerRunning);
    std::thread writer([&] {
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t sent = 0; sent < frame.size(); sent += 4) {
            std::this_thread::sleep_until(start + SerialLink::lineTime(static_cast<int>(sent)));
            pty.write(asText(frame, sent, std::min(sent + 4, frame.size())));
        }
    });
    FrameReader reader(link);
    FrameBuffer buffer{};
    const int length = reader.readFrame(buffer);
    writer.join();

    EXPECT_EQ(length, 76);
    EXPECT_EQ(buffer, bufferOf(frame));
    // Typically three: the first byte, the rest of the frame, a late burst.
    EXPECT_LE(link.waits(), 6);
}

TEST(FrameReaderOnPtyPace, ThePauseAfterAFrameLastsAtLeastItsTimeAndCoversTheNextFrame)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    SerialLink link;
    ASSERT_TRUE(link.openDevice(pty.slavePath())) << link.failureReason().toStdString();
    FrameReader reader(link);
    const std::vector<std::uint8_t> frame = ChargerFrames::variant1(ChargerFrames::kMarkerRunning);
    const struct {
        const char* name;
        bool alreadyThere; // the next frame waits on the line before the pause begins
    } cases[] = {{"frame already on the line", true}, {"frame arriving at the line's pace", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.alreadyThere) {
            ASSERT_TRUE(pty.write(asText(frame, 0, frame.size())));
        }
        link.pauseBeforeRead(std::chrono::milliseconds(20), 76);
        const long long waitsBefore = link.waits();
        QElapsedTimer clock;
        clock.start();
        std::thread writer([&] {
            if (c.alreadyThere)
                return;
            const auto start = std::chrono::steady_clock::now();
            for (std::size_t sent = 0; sent < frame.size(); sent += 4) {
                std::this_thread::sleep_until(start + SerialLink::lineTime(static_cast<int>(sent)));
                pty.write(asText(frame, sent, std::min(sent + 4, frame.size())));
            }
        });
        FrameBuffer buffer{};
        const int length = reader.readFrame(buffer);
        const qint64 ms = clock.elapsed();
        writer.join();
        EXPECT_EQ(length, 76);
        EXPECT_EQ(buffer, bufferOf(frame));
        EXPECT_GE(ms, 20) << "the pause is never cut short";
        EXPECT_LE(link.waits() - waitsBefore, c.alreadyThere ? 1 : 4);
    }
}

TEST(FrameReaderOnPtyPace, AbortEndsAWaitForTheRestOfAFrameAtOnce)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    SerialLink link;
    ASSERT_TRUE(link.openDevice(pty.slavePath())) << link.failureReason().toStdString();
    ASSERT_TRUE(pty.write("{\x81\x82\x83"));

    std::atomic<int> length{-1};
    std::atomic<qint64> readMs{-1};
    std::thread reading([&] {
        FrameReader reader(link);
        FrameBuffer buffer{};
        QElapsedTimer clock;
        clock.start();
        length = reader.readFrame(buffer);
        readMs = clock.elapsed();
    });
    std::this_thread::sleep_for(30ms); // inside the wait for the other 72 bytes
    QElapsedTimer sinceAbort;
    sinceAbort.start();
    link.abort();
    reading.join();

    EXPECT_EQ(length.load(), 0);
    EXPECT_LT(sinceAbort.elapsed(), 200);
    EXPECT_LT(readMs.load(), 500) << "the wait ran on instead of ending at the abort";
}

} // namespace
