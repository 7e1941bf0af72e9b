// Replay of log files: the resulting span, step, x-scale and history for files
// of many lengths, ranges taken from every record, files that are not what the
// recorder writes (trailing fragment, odd stamps, unreadable, a directory), and
// the documented differences between a live run and the replay of its log.
#include "recording/LogReplay.h"
#include "recording/RecordingTick.h"

#include "FakeRecordingHost.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include <unistd.h>

namespace {

struct Replayer {
    ChartState state;
    SharedWords words;
    FakeRecordingHost host;
    SampleHistory history{state, words, host};
    Replayer() { words.runMode = RunMode::Replay; }
    ReplayReport replay(const std::string& path) { return readLogFile(path, history); }
};

MeasurementRecord stamped(int seconds)
{
    MeasurementRecord r;
    r.elapsedSeconds = seconds;
    r.voltage = 12.0f;
    r.current = 2.0f;
    r.temperature = 25.0f;
    r.capacity = 100;
    r.chargeMode = 1;
    return r;
}

std::vector<MeasurementRecord> run(int n)
{
    std::vector<MeasurementRecord> records;
    for (int s = 1; s <= n; ++s)
        records.push_back(stamped(s));
    return records;
}

TEST(LogReplayTable, FilesOfManyLengthsGiveTheDocumentedState)
{
    const struct {
        int n, span, step, xScale, count;
    } rows[] = {
        {0, 10, 1, 64, 0},      {1, 10, 1, 64, 1},       {10, 10, 1, 64, 10},     {11, 20, 1, 32, 11},
        {320, 320, 1, 2, 320},  {321, 640, 2, 2, 160},   {1000, 1280, 4, 2, 250}, {3600, 5120, 16, 2, 225},
        // Both sides of every doubling.
        {20, 20, 1, 32, 20},    {21, 40, 1, 16, 21},     {40, 40, 1, 16, 40},     {41, 80, 1, 8, 41},
        {80, 80, 1, 8, 80},     {81, 160, 1, 4, 81},     {160, 160, 1, 4, 160},   {161, 320, 1, 2, 161},
        {640, 640, 2, 2, 320},  {641, 1280, 4, 2, 160},  {1280, 1280, 4, 2, 320}, {1281, 2560, 8, 2, 160},
    };
    TempDir dir;
    for (const auto& row : rows) {
        const std::string path = dir.file(std::to_string(row.n) + ".tvr");
        writeRecords(path, run(row.n));
        Replayer r;
        const ReplayReport report = r.replay(path);
        EXPECT_TRUE(report.opened) << row.n;
        EXPECT_EQ(report.error, "") << row.n;
        EXPECT_EQ(report.records, row.n);
        EXPECT_EQ(r.state.timeSpan, row.span) << row.n;
        EXPECT_EQ(r.state.thinningStep, row.step) << row.n;
        EXPECT_EQ(r.state.xScale, row.xScale) << row.n;
        ASSERT_EQ(r.state.historyCount, row.count) << row.n;
        // The held samples are the multiples of the step, in order.
        for (int i = 0; i < row.count; ++i)
            ASSERT_EQ(r.state.history[i].elapsedSeconds, (i + 1) * row.step) << row.n << " entry " << i;
        if (row.n > 0) {
            EXPECT_TRUE(sameBits(r.state.snapshotRecord, stamped(row.n))) << row.n;
        }
    }
}

TEST(LogReplayTable, EmptyFileLeavesEmptyChartsWithInitialAxes)
{
    TempDir dir;
    writeRecords(dir.file("empty.tvr"), {});
    Replayer r;
    r.state.historyCount = 7; // whatever was there is dropped
    r.replay(dir.file("empty.tvr"));
    EXPECT_EQ(r.state.historyCount, 0);
    for (const AxisRange& range : r.state.ranges) {
        EXPECT_EQ(range.minimum, 0.0f);
        EXPECT_EQ(range.maximum, 0.0f);
    }
    EXPECT_EQ(r.words.cellsStatus, CellsStatus::None);
    EXPECT_TRUE(r.host.calls.empty());
    EXPECT_TRUE(sameBits(r.state.snapshotRecord, MeasurementRecord{}));
}

TEST(LogReplayRanges, UnselectedRecordsWidenTheRangesWhereverTheyLie)
{
    TempDir dir;
    auto records = run(321); // step 2: odd stamps are not selected
    records[6].voltage = 99.0f;     // stamp 7
    records[200].current = -5.0f;   // stamp 201
    records[320].capacity = 50;     // stamp 321, the very last record
    writeRecords(dir.file("spikes.tvr"), records);
    Replayer r;
    r.replay(dir.file("spikes.tvr"));
    EXPECT_EQ(r.state.range(Quantity::Voltage).maximum, static_cast<float>(99.0 + 0.3));
    EXPECT_EQ(r.state.range(Quantity::Current).minimum, static_cast<float>(-5.0 - 0.2));
    EXPECT_EQ(r.state.range(Quantity::Capacity).minimum, 50.0f);
    EXPECT_EQ(r.state.range(Quantity::Capacity).maximum, 105.0f);
    for (int i = 0; i < r.state.historyCount; ++i)
        ASSERT_EQ(r.state.history[i].elapsedSeconds % 2, 0);
}

TEST(LogReplayRanges, FirstRecordDecidesCellsStatusButNoCellIndicators)
{
    TempDir dir;
    for (int chargeMode : {1, 0, 3}) {
        auto records = run(5);
        records[0].chargeMode = chargeMode;
        records[1].chargeMode = chargeMode == 1 ? 0 : 1;
        records[0].cellVoltage[0] = 4.0f;
        writeRecords(dir.file("mode.tvr"), records);
        Replayer r;
        r.replay(dir.file("mode.tvr"));
        EXPECT_EQ(r.words.cellsStatus, chargeMode == 1 ? CellsStatus::Charge : CellsStatus::Discharge);
        EXPECT_EQ(r.words.cellCount, 0);
        EXPECT_TRUE(r.host.cellIndicators.empty());
    }
}

TEST(LogReplayOddFiles, TrailingFragmentIsIgnoredAndReported)
{
    TempDir dir;
    const std::vector<std::uint8_t> fragment(30, 0xAB);
    auto records = run(10);
    records.back().capacity = 200;
    writeRecords(dir.file("cut.tvr"), records, fragment);
    Replayer r;
    const ReplayReport report = r.replay(dir.file("cut.tvr"));
    EXPECT_EQ(report.records, 10);
    EXPECT_EQ(report.trailingBytes, 30);
    EXPECT_EQ(r.state.historyCount, 10);
    EXPECT_EQ(r.state.timeSpan, 10);
    EXPECT_TRUE(sameBits(r.state.snapshotRecord, records.back()));
    EXPECT_EQ(r.state.range(Quantity::Capacity).maximum, 205.0f);
}

TEST(LogReplayOddFiles, StampsThatSelectTooManyRecordsNeverOverfillTheHistory)
{
    const struct {
        const char* name;
        int n;
        int (*stampOf)(int i);
        std::int64_t ignored;
    } cases[] = {
        {"all zero", 1000, [](int) { return 0; }, 1000 - 320},
        {"all a multiple of every step", 5000, [](int) { return 1 << 20; }, 5000 - 320},
        {"restarting at 1 twice", 640, [](int i) { return i % 320 + 1; }, 0},
        {"negative multiple of the step", 700, [](int) { return -16; }, 700 - 320},
    };
    TempDir dir;
    for (const auto& c : cases) {
        std::vector<MeasurementRecord> records;
        for (int i = 0; i < c.n; ++i)
            records.push_back(stamped(c.stampOf(i)));
        writeRecords(dir.file("odd.tvr"), records);
        Replayer r;
        const ReplayReport report = r.replay(dir.file("odd.tvr"));
        EXPECT_LE(r.state.historyCount, kHistoryCapacity) << c.name;
        EXPECT_EQ(report.ignoredSelections + r.state.historyCount,
                  static_cast<std::int64_t>(std::count_if(records.begin(), records.end(), [&](const MeasurementRecord& m) {
                      return static_cast<std::uint32_t>(m.elapsedSeconds) % static_cast<std::uint32_t>(r.state.thinningStep) == 0;
                  })))
            << c.name;
        if (c.ignored > 0) {
            EXPECT_EQ(r.state.historyCount, kHistoryCapacity) << c.name;
            EXPECT_EQ(report.ignoredSelections, c.ignored) << c.name;
        }
    }
}

TEST(LogReplayOddFiles, UnreadableInputsEmptyTheHistoryLeaveTheRestAndGiveTheReason)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder.tvr"));
    writeRecords(dir.file("locked.tvr"), run(5));
    std::filesystem::permissions(dir.file("locked.tvr"), std::filesystem::perms::none);
    const bool rootReadsAnything = ::access(dir.file("locked.tvr").c_str(), R_OK) == 0;

    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {dir.file("missing.tvr"), std::strerror(ENOENT)},
        {dir.file("folder.tvr"), std::strerror(EISDIR)},
        {dir.file("locked.tvr"), std::strerror(EACCES)},
    };
    for (const auto& c : cases) {
        if (c.reason == std::strerror(EACCES) && rootReadsAnything)
            continue; // permissions do not stop this user
        Replayer r;
        r.state.historyCount = 3;
        r.state.timeSpan = 40;
        r.state.range(Quantity::Voltage).maximum = 7.0f;
        const ReplayReport report = r.replay(c.path);
        EXPECT_FALSE(report.opened) << c.path;
        EXPECT_EQ(report.error, c.reason) << c.path;
        EXPECT_EQ(r.state.historyCount, 0) << c.path; // emptied before the open
        EXPECT_EQ(r.state.timeSpan, 40) << c.path;
        EXPECT_EQ(r.state.range(Quantity::Voltage).maximum, 7.0f) << c.path;
        EXPECT_TRUE(r.host.calls.empty()) << c.path;
    }
}

TEST(LogReplayOddFiles, LongFileIsReadInBlocksWithRecordsAcrossEveryBoundary)
{
    // More records than one read block holds, with a value only in the last one.
    TempDir dir;
    auto records = run(3000);
    records.back().temperature = 80.0f;
    writeRecords(dir.file("long.tvr"), records);
    Replayer r;
    const ReplayReport report = r.replay(dir.file("long.tvr"));
    EXPECT_EQ(report.records, 3000);
    EXPECT_EQ(r.state.range(Quantity::Temperature).maximum, 83.0f);
    EXPECT_EQ(r.state.historyCount, 3000 / 16);
    EXPECT_EQ(r.state.history[r.state.historyCount - 1].elapsedSeconds, 2992);
    EXPECT_TRUE(sameBits(r.state.snapshotRecord, records.back()));
}

// The same run recorded live and then replayed from its log.
struct LiveThenReplay {
    TempDir dir;
    ChartState liveState;
    SharedWords liveWords;
    FakeRecordingHost liveHost;
    SampleHistory liveHistory{liveState, liveWords, liveHost};
    LiveRecord live;
    Replayer replayed;

    void record(int ticks, int spikeAt = 0)
    {
        RecordingTick tick(liveHistory, live, dir.file("run.tvr"));
        for (int t = 1; t <= ticks; ++t) {
            live.write([&](MeasurementRecord& m) {
                m.voltage = t == spikeAt ? 20.0f : 12.0f;
                m.capacity = t;
            });
            tick.tick();
        }
        replayed.replay(dir.file("run.tvr"));
    }
};

TEST(LogReplayVersusLive, TenRecordsSpanTenInReplayButTwentyLive)
{
    LiveThenReplay r;
    r.record(10);
    EXPECT_EQ(r.liveState.timeSpan, 20);
    EXPECT_EQ(r.liveState.xScale, 32);
    EXPECT_EQ(r.replayed.state.timeSpan, 10);
    EXPECT_EQ(r.replayed.state.xScale, 64);
    EXPECT_EQ(r.liveState.historyCount, 10);
    EXPECT_EQ(r.replayed.state.historyCount, 10);
}

TEST(LogReplayVersusLive, AfterThinningLiveHoldsOddSamplesReplayEvenOnesAndOnlyReplaySeesUnstoredSpikes)
{
    LiveThenReplay r;
    r.record(330, 325); // 325 is odd: not stored live, not selected in replay
    ASSERT_GE(r.liveState.historyCount, 3);
    ASSERT_GE(r.replayed.state.historyCount, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.liveState.history[i].elapsedSeconds, 2 * i + 1);
        EXPECT_EQ(r.replayed.state.history[i].elapsedSeconds, 2 * i + 2);
    }
    EXPECT_EQ(r.liveState.range(Quantity::Voltage).maximum, static_cast<float>(12.0 + 0.3));
    EXPECT_EQ(r.replayed.state.range(Quantity::Voltage).maximum, static_cast<float>(20.0 + 0.3));
    EXPECT_EQ(r.liveState.timeSpan, 640);
    EXPECT_EQ(r.replayed.state.timeSpan, 640);
    EXPECT_EQ(r.liveWords.cellsStatus, r.replayed.words.cellsStatus);
}

} // namespace
