// Replay in one pass against the two-pass rules, restated here over records in
// memory: ranges over every record; then span, step and x-scale from the
// count; then the records whose stamps are multiples of the step. The states
// must agree bit for bit for files of every length of the replay tables, for
// wild values (NaN, infinities, capacities where floats lose whole numbers),
// and for files that grow, shrink or are given up while they are read.
#include "recording/LogProgress.h"
#include "recording/LogReplay.h"
#include "recording/LogSummary.h"

#include "FakeRecordingHost.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include <unistd.h>

namespace {

struct Replay {
    ChartState state;
    SharedWords words;
    FakeRecordingHost host;
    SampleHistory history{state, words, host};
    Replay() { words.runMode = RunMode::Replay; }
};

// The two passes, by the rules.
void replayTwoPasses(const std::vector<MeasurementRecord>& records, Replay& r)
{
    const auto n = static_cast<std::int64_t>(records.size());
    for (std::size_t k = 0; k < records.size(); ++k) {
        if (k == 0)
            r.history.initRanges(records[k]);
        else
            r.history.widenRanges(records[k]);
    }
    while (r.state.timeSpan < n) {
        r.state.timeSpan *= 2;
        if (r.state.timeSpan > kHistoryCapacity)
            r.state.thinningStep *= 2;
    }
    r.state.xScale = n <= kHistoryCapacity ? 640 / r.state.timeSpan : 2;
    for (const MeasurementRecord& m : records) {
        if (static_cast<std::uint32_t>(m.elapsedSeconds) % static_cast<std::uint32_t>(r.state.thinningStep) == 0)
            r.history.append(m);
        r.state.snapshotRecord = m;
    }
}

void expectSameState(const Replay& actual, const Replay& expected, const std::string& what)
{
    SCOPED_TRACE(what);
    const ChartState& a = actual.state;
    const ChartState& e = expected.state;
    EXPECT_EQ(a.timeSpan, e.timeSpan);
    EXPECT_EQ(a.thinningStep, e.thinningStep);
    EXPECT_EQ(a.xScale, e.xScale);
    ASSERT_EQ(a.historyCount, e.historyCount);
    for (std::size_t i = 0; i < a.history.size(); ++i)
        ASSERT_TRUE(sameBits(a.history[i], e.history[i])) << "history entry " << i;
    EXPECT_TRUE(sameBits(a.snapshotRecord, e.snapshotRecord));
    EXPECT_EQ(std::memcmp(a.ranges.data(), e.ranges.data(), sizeof a.ranges), 0) << "axis ranges differ";
    EXPECT_EQ(actual.words.cellsStatus.load(), expected.words.cellsStatus.load());
}

// A charge with some life in it: rising capacity, wandering voltage and
// current, a temperature that steps, spikes that the history never holds.
std::vector<MeasurementRecord> charge(int n)
{
    std::vector<MeasurementRecord> records;
    for (int s = 1; s <= n; ++s) {
        MeasurementRecord m;
        m.elapsedSeconds = s;
        m.voltage = 11.0f + static_cast<float>(s % 97) * 0.013f;
        m.current = 2.0f - static_cast<float>(s % 31) * 0.05f;
        m.temperature = static_cast<float>(20 + s / 400);
        m.capacity = s / 3;
        m.chargeMode = 1;
        if (s % 613 == 0)
            m.voltage = 30.0f + static_cast<float>(s) * 0.001f;
        records.push_back(m);
    }
    return records;
}

// Values that test the exactness of every compare.
std::vector<MeasurementRecord> wild(int n)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::int32_t capacities[] = {16777217, 16777216, 16777219, -16777217, 2147483647, -2147483647 - 1,
                                       0,        -5,       33554435, 2147483520, 7,          -2147483520};
    const float voltages[] = {nan, 1.5f, -inf, 2.0f, inf, -0.0f, 0.0f, 1e30f, -1e30f, nan, 3.0f, 2.9999998f};
    std::vector<MeasurementRecord> records;
    for (int s = 1; s <= n; ++s) {
        MeasurementRecord m;
        m.elapsedSeconds = s % 7 == 0 ? -s : s;
        m.capacity = capacities[(s * 5) % 12] ^ (s % 3);
        m.voltage = voltages[s % 12];
        m.current = voltages[(s * 7) % 12];
        m.temperature = s % 11 == 0 ? nan : static_cast<float>(s % 13) - 6.0f;
        m.chargeMode = s % 2;
        records.push_back(m);
    }
    return records;
}

class Progress : public LogProgress {
public:
    std::function<bool(std::int64_t done)> onBlock;
    std::vector<std::int64_t> totals;
    bool advance(std::int64_t done, std::int64_t total) override
    {
        totals.push_back(total);
        return onBlock ? onBlock(done) : true;
    }
};

TEST(LogReplayOnePass, MatchesTheTwoPassRulesForEveryLengthAndKindOfFile)
{
    const int lengths[] = {0,   1,   10,  11,  20,  21,   40,   41,   80,   81,   160,  161,
                           320, 321, 640, 641, 1000, 1280, 1281, 2047, 2048, 2049, 3600, 5000};
    const struct {
        const char* name;
        std::vector<MeasurementRecord> (*make)(int);
    } kinds[] = {{"charge", charge}, {"wild values", wild}};
    TempDir dir;
    for (const auto& kind : kinds) {
        for (int n : lengths) {
            const std::string what = std::string(kind.name) + ", " + std::to_string(n) + " records";
            const std::vector<MeasurementRecord> records = kind.make(n);
            writeRecords(dir.file("log.tvr"), records);
            Replay onePass;
            const ReplayReport report = readLogFile(dir.file("log.tvr"), onePass.history);
            Replay twoPasses;
            replayTwoPasses(records, twoPasses);
            EXPECT_EQ(report.records, n) << what;
            EXPECT_EQ(report.recordsAtStart, n) << what;
            EXPECT_FALSE(report.shrank()) << what;
            expectSameState(onePass, twoPasses, what);
        }
    }
}

TEST(LogReplayOnePass, AFileThatChangesWhileReadIsReadAsItWasOrAsFarAsItStillGoes)
{
    constexpr int kRecords = 5000;
    const struct {
        const char* name;
        // After the first block: the file's new length in bytes.
        std::int64_t newLength;
        // The records whose replay the state must equal.
        int expectedRecords;
        bool shrank;
    } cases[] = {
        {"grows by 3000 records and a fragment", (kRecords + 3000) * 64 + 20, kRecords, false},
        {"shrinks to 3000 records", 3000 * 64, 3000, true},
        {"shrinks to 3000 records and a fragment", 3000 * 64 + 33, 3000, true},
        {"shrinks to the records already read", 2048 * 64, 2048, true},
    };
    TempDir dir;
    const std::vector<MeasurementRecord> records = charge(kRecords + 3000);
    for (const auto& c : cases) {
        const std::string path = dir.file("changing.tvr");
        writeRecords(path, std::vector<MeasurementRecord>(records.begin(), records.begin() + kRecords), {1, 2, 3});
        Progress progress;
        progress.onBlock = [&](std::int64_t done) {
            if (done == 2048) {
                if (c.newLength > static_cast<std::int64_t>(kRecords) * 64)
                    writeRecords(path, records, std::vector<std::uint8_t>(20, 9));
                EXPECT_EQ(::truncate(path.c_str(), c.newLength), 0);
            }
            return true;
        };
        Replay onePass;
        const ReplayReport report = readLogFile(path, onePass.history, {&progress, {}});
        Replay expected;
        replayTwoPasses(std::vector<MeasurementRecord>(records.begin(), records.begin() + c.expectedRecords), expected);
        EXPECT_EQ(report.recordsAtStart, kRecords) << c.name;
        EXPECT_EQ(report.trailingBytes, 3) << c.name << ": the fragment as the file was at the start";
        EXPECT_EQ(report.records, c.expectedRecords) << c.name;
        EXPECT_EQ(report.shrank(), c.shrank) << c.name;
        EXPECT_EQ(report.error, "") << c.name;
        expectSameState(onePass, expected, c.name);
        // Against the records at the start, and in the pass again over what
        // was read, against those.
        ASSERT_FALSE(progress.totals.empty()) << c.name;
        const auto again = std::find_if(progress.totals.begin(), progress.totals.end(),
                                        [](std::int64_t total) { return total != kRecords; });
        EXPECT_EQ(again != progress.totals.end(), c.shrank) << c.name << ": the pass again reports too";
        for (auto it = again; it != progress.totals.end(); ++it)
            EXPECT_EQ(*it, c.expectedRecords) << c.name;
    }
}

TEST(LogReplayOnePass, ThePassAgainAfterAShrinkCanBeCancelled)
{
    TempDir dir;
    const std::string path = dir.file("shrinking.tvr");
    writeRecords(path, charge(10000));
    int calls = 0;
    Progress progress;
    progress.onBlock = [&](std::int64_t) {
        if (++calls == 2) {
            EXPECT_EQ(::truncate(path.c_str(), 4096 * 64), 0);
        }
        return calls < 3; // the third report is the pass again's first
    };
    Replay r;
    const ReplayReport report = readLogFile(path, r.history, {&progress, {}});
    EXPECT_EQ(calls, 3);
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.records, 2048);
}

TEST(LogReplayOnePass, CancelStopsAfterTheBlockAndSaysSo)
{
    TempDir dir;
    writeRecords(dir.file("long.tvr"), charge(10000));
    Progress progress;
    progress.onBlock = [](std::int64_t done) { return done < 4096; };
    Replay r;
    const ReplayReport report = readLogFile(dir.file("long.tvr"), r.history, {&progress, {}});
    EXPECT_TRUE(report.cancelled);
    EXPECT_FALSE(report.shrank());
    EXPECT_EQ(report.records, 4096);
    EXPECT_EQ(progress.totals.size(), 2u);
}

TEST(LogReplayOnePass, InfoSummaryComesFromTheSamePassAndCanBeStopped)
{
    TempDir dir;
    const std::vector<MeasurementRecord> records = wild(4500);
    writeRecords(dir.file("wild.tvr"), records);
    LogSummary summary;
    ASSERT_TRUE(summary.read(dir.file("wild.tvr")));
    Replay expected;
    replayTwoPasses(records, expected);
    EXPECT_EQ(summary.records(), 4500);
    EXPECT_EQ(summary.chart().historyCount, expected.state.historyCount);
    EXPECT_EQ(std::memcmp(summary.chart().ranges.data(), expected.state.ranges.data(), sizeof expected.state.ranges), 0);
    // Every extent as one value at a time gives it.
    std::array<LogSummary::Extent, LogSummary::kFieldCount> extents{};
    for (const MeasurementRecord& m : records) {
        const double values[] = {m.voltage, m.current, static_cast<double>(m.capacity), m.temperature};
        for (int f = 0; f < 4; ++f)
            extents[static_cast<std::size_t>(f)].take(values[f]);
        for (int cell = 0; cell < 8; ++cell)
            extents[static_cast<std::size_t>(4 + cell)].take(m.cellVoltage[cell]);
    }
    for (int f = 0; f < LogSummary::kFieldCount; ++f) {
        const LogSummary::Extent& e = extents[static_cast<std::size_t>(f)];
        EXPECT_EQ(summary.extent(f).any, e.any) << LogSummary::fieldName(f);
        EXPECT_EQ(summary.extent(f).minimum, e.minimum) << LogSummary::fieldName(f);
        EXPECT_EQ(summary.extent(f).maximum, e.maximum) << LogSummary::fieldName(f);
    }
    EXPECT_EQ(summary.extent(0).minimum, -std::numeric_limits<double>::infinity()) << "NaN left out";
    EXPECT_EQ(summary.firstGapPosition(), 7);
    EXPECT_EQ(summary.firstGapStamp(), -7);

    Progress stop;
    stop.onBlock = [](std::int64_t) { return false; };
    LogSummary stopped;
    EXPECT_TRUE(stopped.read(dir.file("wild.tvr"), &stop));
    EXPECT_TRUE(stopped.replay().cancelled);
    EXPECT_EQ(stopped.records(), 2048);
}

} // namespace
