// A replay on its own thread ends with the state readLogFile gives, and a
// cancel ends it early without touching the state the caller keeps.
#include "recording/BackgroundReplay.h"
#include "recording/SilentRecordingHost.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

std::vector<MeasurementRecord> run(int n)
{
    std::vector<MeasurementRecord> records;
    for (int s = 1; s <= n; ++s) {
        MeasurementRecord m;
        m.elapsedSeconds = s;
        m.voltage = 11.0f + static_cast<float>(s % 50) * 0.02f;
        m.capacity = s / 2;
        m.chargeMode = 1;
        records.push_back(m);
    }
    return records;
}

TEST(BackgroundReplay, FinishesWithTheStateOfAReplayAndItsCellsStatus)
{
    TempDir dir;
    writeRecords(dir.file("run.tvr"), run(9000));
    ChartState initial;
    BackgroundReplay replay(dir.file("run.tvr"), initial, -1);
    ASSERT_TRUE(replay.waitFor(std::chrono::seconds(20)));
    EXPECT_EQ(replay.percent(), 100);

    ChartState expected;
    SharedWords words;
    words.runMode = 1;
    SilentRecordingHost host;
    SampleHistory history(expected, words, host);
    readLogFile(dir.file("run.tvr"), history);
    EXPECT_EQ(replay.report().records, 9000);
    EXPECT_EQ(replay.state().historyCount, expected.historyCount);
    EXPECT_EQ(replay.state().timeSpan, expected.timeSpan);
    EXPECT_EQ(std::memcmp(replay.state().ranges.data(), expected.ranges.data(), sizeof expected.ranges), 0);
    EXPECT_EQ(replay.cellsStatus(), 0);
}

TEST(BackgroundReplay, ACancelledOrUnreadableReplayReportsIt)
{
    TempDir dir;
    {
        BackgroundReplay missing(dir.file("gone.tvr"), ChartState{}, -1);
        ASSERT_TRUE(missing.waitFor(std::chrono::seconds(20)));
        EXPECT_FALSE(missing.report().opened);
        EXPECT_FALSE(missing.report().error.empty());
    }
    // Zeros without end, nearly: long enough to be cancelled well before its end.
    writeRecords(dir.file("zeros.tvr"), {});
    std::filesystem::resize_file(dir.file("zeros.tvr"), 1LL << 30);
    BackgroundReplay replay(dir.file("zeros.tvr"), ChartState{}, -1);
    replay.cancel();
    ASSERT_TRUE(replay.waitFor(std::chrono::seconds(20)));
    EXPECT_TRUE(replay.report().cancelled);
    EXPECT_LT(replay.report().records, replay.report().recordsAtStart);
}

} // namespace
