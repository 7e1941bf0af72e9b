// Axis ranges of the four quantities (first-sample margins, widening, the
// equal-to-bound rule, exact float results), the first-sample side effects,
// and the in-place history operations.
#include "recording/SampleHistory.h"

#include "FakeRecordingHost.h"

#include <gtest/gtest.h>

namespace {

struct Fixture {
    ChartState state;
    SharedWords words;
    FakeRecordingHost host;
    SampleHistory history{state, words, host};
};

MeasurementRecord sample(float voltage, float current, float temperature, std::int32_t capacity)
{
    MeasurementRecord r;
    r.voltage = voltage;
    r.current = current;
    r.temperature = temperature;
    r.capacity = capacity;
    return r;
}

TEST(SampleHistoryRanges, FirstSampleSetsEachRangeWithItsMargins)
{
    Fixture f;
    f.history.initRanges(sample(12.5f, 2.0f, 25.0f, 1000));
    EXPECT_EQ(f.state.range(Quantity::Capacity).minimum, 1005.0f);
    EXPECT_EQ(f.state.range(Quantity::Capacity).maximum, 1005.0f);
    EXPECT_EQ(f.state.range(Quantity::Voltage).minimum, 12.3f);
    EXPECT_EQ(f.state.range(Quantity::Voltage).maximum, 12.8f);
    EXPECT_EQ(f.state.range(Quantity::Current).minimum, 1.8f);
    EXPECT_EQ(f.state.range(Quantity::Current).maximum, 2.3f);
    EXPECT_EQ(f.state.range(Quantity::Temperature).minimum, 23.0f);
    EXPECT_EQ(f.state.range(Quantity::Temperature).maximum, 28.0f);
}

TEST(SampleHistoryRanges, MarginsAreAddedInDoublePrecisionThenRounded)
{
    // 1.1f + 0.3 in double rounds to 0x1.666666p+0; in single precision it would be 0x1.666668p+0.
    Fixture f;
    f.history.initRanges(sample(1.1f, 1.1f, 0.0f, 0));
    EXPECT_EQ(f.state.range(Quantity::Voltage).maximum, 0x1.666666p+0f);
    EXPECT_EQ(f.state.range(Quantity::Current).maximum, 0x1.666666p+0f);
    EXPECT_EQ(f.state.range(Quantity::Voltage).minimum, 0x1.cccccep-1f);

    // The same rule when widening.
    f.history.widenRanges(sample(0.9f, 0.0f, 0.0f, 0));
    f.history.widenRanges(sample(1.1f + 1.0f, 0.0f, 0.0f, 0));
    EXPECT_EQ(f.state.range(Quantity::Voltage).minimum, static_cast<float>(static_cast<double>(0.9f) - 0.2));
    EXPECT_EQ(f.state.range(Quantity::Voltage).maximum, static_cast<float>(static_cast<double>(2.1f) + 0.3));
}

TEST(SampleHistoryRanges, CapacityStartsEmptyAndWidensDownWithoutMargin)
{
    Fixture f;
    f.history.initRanges(sample(0, 0, 0, 1000));
    f.history.widenRanges(sample(0, 0, 0, 1001));
    EXPECT_EQ(f.state.range(Quantity::Capacity).minimum, 1001.0f);
    EXPECT_EQ(f.state.range(Quantity::Capacity).maximum, 1005.0f);
    f.history.widenRanges(sample(0, 0, 0, 1006));
    EXPECT_EQ(f.state.range(Quantity::Capacity).maximum, 1011.0f);
    f.history.widenRanges(sample(0, 0, 0, 3));
    EXPECT_EQ(f.state.range(Quantity::Capacity).minimum, 3.0f);
}

TEST(SampleHistoryRanges, ValueEqualToABoundChangesNothing)
{
    Fixture f;
    f.history.initRanges(sample(12.0f, 1.0f, 20.0f, 100));
    const auto before = f.state.ranges;
    f.history.widenRanges(sample(before[1].maximum, before[3].minimum, before[2].maximum, 105));
    for (int q = 0; q < kQuantityCount; ++q) {
        EXPECT_EQ(f.state.ranges[q].maximum, before[q].maximum) << q;
        EXPECT_EQ(f.state.ranges[q].minimum, before[q].minimum) << q;
    }
}

TEST(SampleHistoryRanges, VoltageJustAboveMaximumMovesItToVoltagePlusMargin)
{
    Fixture f;
    f.history.initRanges(sample(12.0f, 0, 0, 0));
    const float above = static_cast<float>(static_cast<double>(f.state.range(Quantity::Voltage).maximum) + 0.01);
    f.history.widenRanges(sample(above, 0, 0, 0));
    EXPECT_EQ(f.state.range(Quantity::Voltage).maximum, static_cast<float>(static_cast<double>(above) + 0.3));
    EXPECT_EQ(f.state.range(Quantity::Voltage).minimum, 11.8f);
}

TEST(SampleHistoryRanges, ValuesInsideTheRangeLeaveItAlone)
{
    Fixture f;
    f.history.initRanges(sample(12.0f, 2.0f, 25.0f, 500));
    const auto before = f.state.ranges;
    f.history.widenRanges(sample(12.1f, 1.9f, 26.0f, 505));
    for (int q = 0; q < kQuantityCount; ++q) {
        EXPECT_EQ(f.state.ranges[q].maximum, before[q].maximum) << q;
        EXPECT_EQ(f.state.ranges[q].minimum, before[q].minimum) << q;
    }
}

TEST(SampleHistoryRanges, TemperatureWidensByItsOwnMargins)
{
    Fixture f;
    f.history.initRanges(sample(0, 0, 25.0f, 0));
    f.history.widenRanges(sample(0, 0, 30.0f, 0));
    f.history.widenRanges(sample(0, 0, 10.0f, 0));
    EXPECT_EQ(f.state.range(Quantity::Temperature).maximum, 33.0f);
    EXPECT_EQ(f.state.range(Quantity::Temperature).minimum, 8.0f);
}

struct CellCase {
    const char* name;
    std::array<float, 8> cells;
    int expected;
};

TEST(SampleHistoryFirstSample, LiveModeCountsLeadingNonZeroCells)
{
    const CellCase cases[] = {
        {"gap after two", {3.7f, 3.7f, 0.0f, 3.7f, 3.7f, 3.7f, 3.7f, 3.7f}, 2},
        {"all eight", {3.7f, 3.7f, 3.7f, 3.7f, 3.7f, 3.7f, 3.7f, 3.7f}, 8},
        {"none", {0, 0, 0, 0, 0, 0, 0, 0}, 0},
        {"six of a 112-byte frame", {4.1f, 4.1f, 4.1f, 4.1f, 4.1f, 4.1f, 0, 0}, 6},
        {"negative zero ends the count", {3.7f, -0.0f, 3.7f, 0, 0, 0, 0, 0}, 1},
    };
    for (const CellCase& c : cases) {
        Fixture f;
        MeasurementRecord r;
        std::copy(c.cells.begin(), c.cells.end(), r.cellVoltage);
        f.history.initRanges(r);
        EXPECT_EQ(f.words.cellCount, c.expected) << c.name;
        ASSERT_EQ(f.host.cellIndicators.size(), 1u) << c.name;
        EXPECT_EQ(f.host.cellIndicators[0], c.expected) << c.name;
        // The overview takes its data only after the indicators are set.
        EXPECT_EQ(f.host.calls.back(), "transferOverviewData") << c.name;
    }
}

TEST(SampleHistoryFirstSample, ReplayModeLeavesIndicatorsAndCellCountAlone)
{
    Fixture f;
    f.words.runMode = RunMode::Replay;
    f.words.cellCount = 5;
    MeasurementRecord r;
    std::fill(std::begin(r.cellVoltage), std::end(r.cellVoltage), 3.7f);
    f.history.initRanges(r);
    EXPECT_EQ(f.words.cellCount, 5);
    EXPECT_TRUE(f.host.cellIndicators.empty());
    EXPECT_EQ(f.host.calls, std::vector<std::string>{"transferOverviewData"});
}

TEST(SampleHistoryFirstSample, ChargeModeOneMeansChargeAnythingElseDischarge)
{
    const std::pair<int, int> cases[] = {{1, CellsStatus::Charge}, {0, CellsStatus::Discharge},
                                         {2, CellsStatus::Discharge}, {-1, CellsStatus::Discharge}};
    for (int runMode : {RunMode::Live, RunMode::Replay}) {
        for (auto [chargeMode, status] : cases) {
            Fixture f;
            f.words.runMode = runMode;
            MeasurementRecord r;
            r.chargeMode = chargeMode;
            f.history.initRanges(r);
            EXPECT_EQ(f.words.cellsStatus, status) << "chargeMode " << chargeMode << " runMode " << runMode;
        }
    }
}

TEST(SampleHistoryStore, AppendStopsAtCapacity)
{
    Fixture f;
    MeasurementRecord r;
    for (int i = 1; i <= kHistoryCapacity; ++i) {
        r.elapsedSeconds = i;
        ASSERT_TRUE(f.history.append(r));
    }
    r.elapsedSeconds = 999;
    EXPECT_FALSE(f.history.append(r));
    EXPECT_EQ(f.state.historyCount, kHistoryCapacity);
    EXPECT_EQ(f.state.history.back().elapsedSeconds, kHistoryCapacity);
}

TEST(SampleHistoryStore, HalvingKeepsEvenPositionsAndZeroesTheTail)
{
    Fixture f;
    MeasurementRecord r;
    for (int i = 0; i < kHistoryCapacity; ++i) {
        r.elapsedSeconds = 1000 + i;
        r.voltage = static_cast<float>(i);
        f.history.append(r);
    }
    f.history.halve();
    EXPECT_EQ(f.state.historyCount, 160);
    for (int k = 0; k < 160; ++k)
        EXPECT_EQ(f.state.history[k].elapsedSeconds, 1000 + 2 * k) << k;
    for (int k = 160; k < kHistoryCapacity; ++k)
        EXPECT_TRUE(sameBits(f.state.history[k], MeasurementRecord{})) << k;
}

TEST(SampleHistoryStore, HalvingAShortHistoryKeepsOnlyEntriesThatHoldSamples)
{
    // After seconds without data the history may be short when it is thinned.
    for (const int count : {0, 1, 7, 300}) {
        Fixture f;
        MeasurementRecord r;
        for (int i = 0; i < count; ++i) {
            r.elapsedSeconds = 1 + i;
            f.history.append(r);
        }
        f.history.halve();
        const int kept = (count + 1) / 2;
        EXPECT_EQ(f.state.historyCount, kept) << count;
        for (int k = 0; k < kept; ++k)
            EXPECT_EQ(f.state.history[k].elapsedSeconds, 1 + 2 * k) << count << ": " << k;
        for (int k = kept; k < kHistoryCapacity; ++k)
            EXPECT_TRUE(sameBits(f.state.history[k], MeasurementRecord{})) << count << ": " << k;
    }
}

} // namespace
