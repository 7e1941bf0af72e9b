// The cursor table's figures between two samples: values at A and B, their
// differences (signed B - A, also with B before A), extremes in between,
// the mean current and the largest cell spread with its time.
#include "analysis/RangeStats.h"
#include "analysis/RunAlignment.h"

#include "SyntheticRun.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kAmps = 1.8f;

// 600 s: voltage climbs 10 mV a second from 12 V, 1.8 A, capacity 1 mAh a
// second from 100; cells 4.00 and 4.00 + 1 mV per 100 s, with a 50 mV dip of
// cell 2 at 300 s.
RunData chargeRun()
{
    return runOf(records(600, [](int s) {
        MeasurementRecord r = sampleRecord(s, 12.0f + 0.01f * s, 1.8f, 100 + s);
        r.cellVoltage[0] = 4.0f;
        r.cellVoltage[1] = s == 300 ? 3.95f : 4.0f + 0.00001f * s;
        r.temperature = static_cast<float>(20 + s / 100);
        return r;
    }));
}

TEST(RangeStats, DifferencesAndAggregatesBetweenTheCursors)
{
    const RunData run = chargeRun();
    const struct {
        std::size_t a, b;
        double duration, deltaV, capacity, charge, minV, maxV, spread, spreadAt;
    } cases[] = {
        {0, 599, 599, 5.99, 599, kAmps * 599 / 3.6, 12.01, 18.00, 50, 300},
        {99, 199, 100, 1.00, 100, kAmps * 100 / 3.6, 13.00, 14.00, 2.0, 200},
        {599, 0, -599, -5.99, -599, -kAmps * 599 / 3.6, 12.01, 18.00, 50, 300},
        {250, 250, 0, 0, 0, 0, 14.51, 14.51, 2.51, 251},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "A " << c.a << ", B " << c.b);
        const RangeStats s = rangeStats(run, c.a, c.b);
        EXPECT_DOUBLE_EQ(s.duration, c.duration);
        EXPECT_NEAR(s.deltaVoltage, c.deltaV, 1e-4);
        EXPECT_DOUBLE_EQ(s.capacityDelta, c.capacity);
        EXPECT_NEAR(s.chargeDelta, c.charge, 1e-6);
        EXPECT_NEAR(s.energy, std::copysign(std::fabs(s.energy), c.duration), 1e-12);
        const RangeStats::TraceValues& v = s.traces[index(Trace::Voltage)];
        EXPECT_NEAR(v.extent.minimum, c.minV, 1e-4);
        EXPECT_NEAR(v.extent.maximum, c.maxV, 1e-4);
        EXPECT_NEAR(s.largestSpread, c.spread, 1e-3);
        EXPECT_EQ(s.largestSpreadTime, c.spreadAt);
        if (c.duration != 0)
            EXPECT_NEAR(s.meanCurrent, kAmps, 1e-9);
        else
            EXPECT_TRUE(std::isnan(s.meanCurrent));
    }
}

TEST(RangeStats, OnlyTheTracesTheRunHasAreShownAndIndicesAreClamped)
{
    const RunData run = runOf(records(10, [](int s) { return sampleRecord(s, 5.0f, 1.0f); }));
    const RangeStats s = rangeStats(run, 3, 1000);
    EXPECT_EQ(s.b, 9u);
    EXPECT_TRUE(s.traces[index(Trace::Voltage)].shown);
    EXPECT_TRUE(s.traces[index(Trace::Energy)].shown);
    EXPECT_FALSE(s.traces[index(Trace::Cell1)].shown);
    EXPECT_FALSE(s.traces[index(Trace::CellSpread)].shown);
    EXPECT_TRUE(std::isnan(s.largestSpread));
}

TEST(RunAlignment, RunsOfDifferentLengthsAlignAtTheirStartOrAtACursor)
{
    // A full run from 1 s; a shorter one whose log starts at 101 s (its first
    // records lost); and an empty one.
    const RunData full = chargeRun();
    const RunData late = runOf(records(50, [](int s) { return sampleRecord(s + 100, 1.0f, 1.0f); }));
    const RunData empty;
    const std::vector<double> offsets = alignAtStart({&full, &late, &empty});
    ASSERT_EQ(offsets.size(), 3u);
    EXPECT_EQ(offsets[0], 0);
    EXPECT_EQ(offsets[1], 100);
    EXPECT_EQ(offsets[2], 0);
    EXPECT_EQ(late.firstTime() - offsets[1], full.firstTime());

    // Cursor B at shown 20.4 s on the late run snaps to its sample shown at
    // 20 s (its own 120 s); aligning moves that sample under cursor A at 300 s.
    const double moved = alignAtCursor(late, offsets[1], 20.4, 300);
    EXPECT_EQ(moved, 120 - 300);
    EXPECT_EQ(late.time(late.nearest(20.4 + offsets[1])) - moved, 300);
    // Beyond its end B snaps to its last sample.
    EXPECT_EQ(alignAtCursor(late, 0, 1e6, 10), 150 - 10);
    EXPECT_EQ(alignAtCursor(empty, 7, 1, 2), 7);
}

} // namespace
