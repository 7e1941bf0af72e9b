// The once-a-second tick: the schedule of span, step, x-scale and history
// count over a long run, the content of the history at each thinning, which
// ticks are logged and stored, the repaint order, and how a log file that
// cannot be written, or is replaced under the run, is reported while
// recording goes on.
#include "recording/RecordingTick.h"

#include "FakeRecordingHost.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

namespace {

// Logging is not under test here; the null device takes every record.
const std::string kNoLog = "/dev/null";

struct Recorder {
    explicit Recorder(std::string logPath = kNoLog) : tick(history, live, std::move(logPath)) {}

    ChartState state;
    SharedWords words;
    FakeRecordingHost host;
    SampleHistory history{state, words, host};
    LiveRecord live;
    RecordingTick tick;

    void setVoltage(float v)
    {
        live.write([v](MeasurementRecord& r) {
            r.voltage = v;
            r.capacity = 100;
        });
    }
    void runTo(int seconds)
    {
        while (words.secondsCounter < seconds)
            tick.tick();
    }
};

// The schedule told as a rule of the run rather than as the tick's steps:
// after tick t the span is the smallest 10 x 2^k strictly above t; the step is
// 1 while the span is at most 320 and span / 320 beyond; the x-scale is
// 640 / span up to 320 and 2 beyond; the history holds every stored sample
// since the last thinning plus the 160 kept, i.e. t / step entries.
struct Expected {
    int span, step, xScale, count;
};

Expected scheduleAfter(int t)
{
    int span = 10;
    while (span <= t)
        span *= 2;
    const int step = span > 320 ? span / 320 : 1;
    const int xScale = span > 320 ? 2 : 640 / span;
    return {span, step, xScale, t / step};
}

TEST(RecordingTickSchedule, EveryTickUpTo3000FollowsTheSchedule)
{
    Recorder r;
    for (int t = 1; t <= 3000; ++t) {
        r.tick.tick();
        const Expected e = scheduleAfter(t);
        ASSERT_EQ(r.words.secondsCounter, t);
        ASSERT_EQ(r.state.timeSpan, e.span) << "tick " << t;
        ASSERT_EQ(r.state.thinningStep, e.step) << "tick " << t;
        ASSERT_EQ(r.state.xScale, e.xScale) << "tick " << t;
        ASSERT_EQ(r.state.historyCount, e.count) << "tick " << t;
        ASSERT_EQ(r.state.snapshotRecord.elapsedSeconds, t);
    }
}

TEST(RecordingTickSchedule, DocumentedRowsOfTheSchedule)
{
    const struct {
        int tick;
        Expected e;
    } rows[] = {
        {1, {10, 1, 64, 1}},    {9, {10, 1, 64, 9}},     {10, {20, 1, 32, 10}},    {20, {40, 1, 16, 20}},
        {40, {80, 1, 8, 40}},   {80, {160, 1, 4, 80}},   {160, {320, 1, 2, 160}},  {319, {320, 1, 2, 319}},
        {320, {640, 2, 2, 160}}, {640, {1280, 4, 2, 160}}, {1280, {2560, 8, 2, 160}},
    };
    Recorder r;
    for (const auto& row : rows) {
        r.runTo(row.tick);
        EXPECT_EQ(r.state.timeSpan, row.e.span) << row.tick;
        EXPECT_EQ(r.state.thinningStep, row.e.step) << row.tick;
        EXPECT_EQ(r.state.xScale, row.e.xScale) << row.tick;
        EXPECT_EQ(r.state.historyCount, row.e.count) << row.tick;
    }
}

std::vector<int> stampsHeld(const ChartState& state)
{
    std::vector<int> stamps;
    for (int i = 0; i < state.historyCount; ++i)
        stamps.push_back(state.history[i].elapsedSeconds);
    return stamps;
}

bool tailIsZero(const ChartState& state)
{
    for (int i = state.historyCount; i < kHistoryCapacity; ++i) {
        if (!sameBits(state.history[i], MeasurementRecord{}))
            return false;
    }
    return true;
}

TEST(RecordingTickThinning, At320TheOddSamplesRemainAndTheTailIsZero)
{
    Recorder r;
    r.runTo(320);
    std::vector<int> expected;
    for (int s = 1; s <= 319; s += 2)
        expected.push_back(s);
    EXPECT_EQ(stampsHeld(r.state), expected);
    EXPECT_TRUE(tailIsZero(r.state));
}

TEST(RecordingTickThinning, At640EveryFourthSampleOfEachHalfRemains)
{
    Recorder r;
    r.runTo(640);
    // Before: 1, 3, ..., 319 then 322, 324, ..., 640; every second of those stays.
    std::vector<int> expected;
    for (int s = 1; s <= 317; s += 4)
        expected.push_back(s);
    for (int s = 322; s <= 638; s += 4)
        expected.push_back(s);
    EXPECT_EQ(stampsHeld(r.state), expected);
    EXPECT_TRUE(tailIsZero(r.state));
}

TEST(RecordingTickStore, TickAfterThinningIsLoggedButNotStoredAndNextIsStored)
{
    TempDir dir;
    Recorder r(dir.file("run.tvr"));
    r.setVoltage(5.0f);
    r.runTo(320);
    const AxisRange voltageBefore = r.state.range(Quantity::Voltage);

    r.setVoltage(9.0f); // a spike on a tick that is not stored
    r.tick.tick();
    EXPECT_EQ(readBytes(dir.file("run.tvr")).size(), 321 * kRecordSize);
    EXPECT_EQ(r.state.historyCount, 160);
    EXPECT_EQ(r.state.range(Quantity::Voltage).maximum, voltageBefore.maximum);
    EXPECT_EQ(r.state.snapshotRecord.voltage, 9.0f); // the read-outs still see it

    r.setVoltage(7.0f);
    r.tick.tick();
    EXPECT_EQ(readBytes(dir.file("run.tvr")).size(), 322 * kRecordSize);
    ASSERT_EQ(r.state.historyCount, 161);
    EXPECT_EQ(r.state.history[160].elapsedSeconds, 322);
    EXPECT_EQ(r.state.range(Quantity::Voltage).maximum, static_cast<float>(7.0 + 0.3));
}

TEST(RecordingTickStore, FirstTickStampsLogsStoresAndInitialisesRanges)
{
    TempDir dir;
    Recorder r(dir.file("run.tvr"));
    r.live.write([](MeasurementRecord& m) {
        m.capacity = 1000;
        m.voltage = 12.0f;
        m.chargeMode = 1;
        m.cellVoltage[0] = 4.0f;
        m.cellVoltage[1] = 4.0f;
        m.cellVoltage[2] = 4.0f;
    });
    r.tick.tick();

    const auto logged = recordsOf(readBytes(dir.file("run.tvr")));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].elapsedSeconds, 1);
    EXPECT_TRUE(sameBits(logged[0], r.state.snapshotRecord));
    EXPECT_TRUE(sameBits(r.state.history[0], r.state.snapshotRecord));
    EXPECT_EQ(r.live.copy().elapsedSeconds, 0); // the stamp goes into the copy only
    EXPECT_EQ(r.state.historyCount, 1);
    EXPECT_EQ(r.state.range(Quantity::Capacity).minimum, 1005.0f);
    EXPECT_EQ(r.state.range(Quantity::Capacity).maximum, 1005.0f);
    EXPECT_EQ(r.words.cellsStatus, CellsStatus::Charge);
    EXPECT_EQ(r.words.cellCount, 3);

    r.live.write([](MeasurementRecord& m) { m.capacity = 1001; });
    r.tick.tick();
    EXPECT_EQ(r.state.range(Quantity::Capacity).minimum, 1001.0f);
    EXPECT_EQ(r.state.range(Quantity::Capacity).maximum, 1005.0f);
    EXPECT_EQ(r.host.cellIndicators.size(), 1u); // only the first sample sets the cells
}

TEST(RecordingTickRepaint, EveryTickInvalidatesTheSixViewsInOrder)
{
    using V = RecordingHost::View;
    const std::vector<V> once = {V::CapacityPanel, V::CurrentPanel, V::TemperaturePanel,
                                 V::VoltagePanel, V::DetailPanel, V::OverviewPanel};
    Recorder r;
    r.runTo(2);
    r.host.invalidated.clear();
    r.tick.tick(); // tick 3 is stored
    EXPECT_EQ(r.host.invalidated, once);

    r.runTo(320);
    r.host.invalidated.clear();
    r.tick.tick(); // tick 321 is not stored
    EXPECT_EQ(r.host.invalidated, once);
}

TEST(RecordingTickLogFailure, FailureIsToldOnceRecoveryOnceAndTheHistoryKeepsGoing)
{
    TempDir dir;
    const std::string folder = dir.file("later");
    const std::string path = folder + "/run.tvr";
    Recorder r(path);

    for (int t = 1; t <= 3; ++t)
        r.tick.tick();
    EXPECT_EQ(r.host.failures, 1);
    EXPECT_EQ(r.host.recoveries, 0);
    ASSERT_EQ(r.host.failureReasons.size(), 1u);
    EXPECT_FALSE(r.host.failureReasons[0].empty());
    EXPECT_EQ(r.state.historyCount, 3);
    EXPECT_FALSE(std::filesystem::exists(folder));

    std::filesystem::create_directory(folder);
    r.tick.tick();
    r.tick.tick();
    EXPECT_EQ(r.host.failures, 1);
    EXPECT_EQ(r.host.recoveries, 1);
    EXPECT_EQ(r.state.historyCount, 5);

    const auto logged = recordsOf(readBytes(path));
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].elapsedSeconds, 4);
    EXPECT_EQ(logged[1].elapsedSeconds, 5);

    // A second streak is told again.
    std::filesystem::remove_all(folder);
    r.tick.tick();
    EXPECT_EQ(r.host.failures, 2);
    const std::vector<std::string> notices = [&] {
        std::vector<std::string> out;
        for (const auto& c : r.host.calls) {
            if (c.rfind("log", 0) == 0)
                out.push_back(c);
        }
        return out;
    }();
    EXPECT_EQ(notices, (std::vector<std::string>{"logWriteFailed(" + path + ")", "logWriteRecovered(" + path + ")",
                                                 "logWriteFailed(" + path + ")"}));
}

TEST(RecordingTickLogFile, ALogReplacedMidRunIsToldOnceAndTheRecordsGoOnInANewFile)
{
    TempDir dir;
    const std::string path = dir.file("run.tvr");
    ASSERT_EQ(createLogFile(path), "");
    Recorder r(path);
    r.runTo(2);
    std::filesystem::remove(path);
    std::filesystem::create_symlink(dir.file("victim"), path);
    r.runTo(5);

    ASSERT_EQ(r.host.changes.size(), 1u);
    EXPECT_EQ(r.host.changes[0].cause, LogFileChange::Cause::ReplacedByLink);
    EXPECT_EQ(r.host.changes[0].fromSecond, 3);
    EXPECT_EQ(r.host.failures, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("victim")));
    const auto moved = recordsOf(readBytes(dir.file("run-2.tvr")));
    ASSERT_EQ(moved.size(), 3u);
    EXPECT_EQ(moved.front().elapsedSeconds, 3);
    EXPECT_EQ(r.state.historyCount, 5);
}

TEST(RecordingTickLimits, CounterStopsAtItsLargestValueInsteadOfOverflowing)
{
    Recorder r;
    // A run 68 years long, just before the end of the counter.
    r.words.secondsCounter = std::numeric_limits<int>::max() - 1;
    r.state.timeSpan = 1342177280;
    r.state.thinningStep = 4194304;
    r.state.historyCount = 200;
    for (int i = 0; i < 3; ++i)
        r.tick.tick();
    EXPECT_EQ(r.words.secondsCounter, std::numeric_limits<int>::max());
    EXPECT_EQ(r.state.snapshotRecord.elapsedSeconds, std::numeric_limits<int>::max());
    EXPECT_EQ(r.state.timeSpan, 1342177280);
    EXPECT_LE(r.state.historyCount, kHistoryCapacity);
}

TEST(RecordingTickLimits, SpanStopsDoublingWhenItWouldOverflow)
{
    Recorder r;
    r.words.secondsCounter = 1342177279;
    r.state.timeSpan = 1342177280;
    r.state.thinningStep = 4194304;
    r.state.historyCount = 319;
    r.tick.tick(); // 1342177280 = 320 x step: stored, span reached
    EXPECT_EQ(r.state.historyCount, 320);
    EXPECT_EQ(r.state.timeSpan, 1342177280);
    EXPECT_EQ(r.state.thinningStep, 4194304);
}

} // namespace

namespace {

// Seconds in which the line was down: counted, never logged, stored or repainted.
TEST(RecordingTickSkip, SkippedSecondsLeaveAGapInTheStampsAndKeepTheSchedule)
{
    const struct {
        int before, skipped, after;
    } cases[] = {
        {3, 4, 2},    // within the first span
        {5, 10, 1},   // the span doubles during the gap
        {300, 40, 10}, // the thinning at 320 falls in the gap, with a short history
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.before << " + " << c.skipped << " skipped + " << c.after);
        TempDir dir;
        Recorder r(dir.file("run.tvr"));
        r.setVoltage(5.0f);
        for (int i = 0; i < c.before; ++i)
            r.tick.tick();
        const std::size_t repaints = r.host.invalidated.size();
        for (int i = 0; i < c.skipped; ++i)
            r.tick.skipSecond();
        EXPECT_EQ(r.host.invalidated.size(), repaints);
        for (int i = 0; i < c.after; ++i)
            r.tick.tick();

        const int total = c.before + c.skipped + c.after;
        const auto logged = recordsOf(readBytes(dir.file("run.tvr")));
        ASSERT_EQ(logged.size(), static_cast<std::size_t>(c.before + c.after));
        for (int i = 0; i < c.before + c.after; ++i) {
            const int stamp = i < c.before ? i + 1 : i + 1 + c.skipped;
            EXPECT_EQ(logged[static_cast<std::size_t>(i)].elapsedSeconds, stamp) << "record " << i + 1;
        }

        const Expected e = scheduleAfter(total);
        EXPECT_EQ(r.state.timeSpan, e.span);
        EXPECT_EQ(r.state.thinningStep, e.step);
        EXPECT_EQ(r.state.xScale, e.xScale);
        // The history holds samples only, oldest first, each a due one.
        ASSERT_GT(r.state.historyCount, 0);
        int previous = 0;
        for (int i = 0; i < r.state.historyCount; ++i) {
            const int stamp = r.state.history[static_cast<std::size_t>(i)].elapsedSeconds;
            EXPECT_GT(stamp, previous) << "entry " << i;
            EXPECT_FALSE(stamp > c.before && stamp <= c.before + c.skipped) << "entry " << i << " from the gap";
            previous = stamp;
        }
        for (int i = r.state.historyCount; i < kHistoryCapacity; ++i)
            EXPECT_TRUE(sameBits(r.state.history[static_cast<std::size_t>(i)], MeasurementRecord{})) << i;
    }
}

} // namespace
