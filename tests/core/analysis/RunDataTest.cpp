// The run as columns: times from the stamps, cells present once they read
// non-zero, the spread, and extents over any range (through the block
// summaries) equal to a plain scan, also while the run grows.
#include "analysis/RunData.h"

#include "SyntheticRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

Extent scan(const RunData& run, Trace trace, std::size_t first, std::size_t last)
{
    Extent e;
    for (std::size_t i = first; i < last; ++i)
        e.take(run.value(trace, i));
    return e;
}

TEST(RunData, TimesFollowTheStampsAndAlwaysIncrease)
{
    const struct {
        const char* name;
        std::vector<int> stamps;
        std::vector<double> times;
    } cases[] = {
        {"recorded", {1, 2, 3}, {1, 2, 3}},
        {"gap", {1, 2, 30, 31}, {1, 2, 30, 31}},
        {"repeated stamp", {5, 5, 6}, {5, 6, 7}},
        {"stamp going back", {10, 3, 4, 20}, {10, 11, 12, 20}},
        {"negative stamps", {-5, -4}, {-5, -4}},
        {"largest stamps", {2147483646, 2147483647, -2147483647 - 1}, {2147483646, 2147483647, 2147483648.0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<MeasurementRecord> rs;
        for (int s : c.stamps)
            rs.push_back(sampleRecord(s, 1.0f, 1.0f));
        const RunData run = runOf(rs);
        ASSERT_EQ(run.size(), c.times.size());
        for (std::size_t i = 0; i < c.times.size(); ++i)
            EXPECT_EQ(run.time(i), c.times[i]) << i;
    }
}

TEST(RunData, CellsAppearOnceNonZeroAndTheSpreadCoversTheCellsThatRead)
{
    std::vector<MeasurementRecord> rs = records(300, [](int s) { return sampleRecord(s, 8.0f, 1.0f); });
    for (MeasurementRecord& r : rs) {
        r.cellVoltage[0] = 4.0f;
        r.cellVoltage[2] = 4.02f;
    }
    rs[200].cellVoltage[6] = 3.9f; // cell 7 reads once, late
    rs[250].cellVoltage[2] = 0.0f; // cell 3 drops out for one record
    const RunData run = runOf(rs);
    const bool present[kCellCount] = {true, false, true, false, false, false, true, false};
    for (int c = 0; c < kCellCount; ++c)
        EXPECT_EQ(run.has(cellTrace(c)), present[c]) << "cell " << c + 1;
    EXPECT_EQ(run.value(Trace::Cell7, 10), 0.0);
    EXPECT_NEAR(run.value(Trace::CellSpread, 10), 20.0, 1e-3);
    EXPECT_NEAR(run.value(Trace::CellSpread, 200), 120.0, 1e-3);
    EXPECT_EQ(run.value(Trace::CellSpread, 250), 0.0);
    // The late cell's summaries are rebuilt: its extent over the whole run includes the zeros.
    const Extent cell7 = run.extent(Trace::Cell7, 0, run.size());
    EXPECT_EQ(cell7.minimum, 0.0);
    EXPECT_FLOAT_EQ(static_cast<float>(cell7.maximum), 3.9f);
    EXPECT_NEAR(run.extent(Trace::CellSpread, 0, run.size()).maximum, 120.0, 1e-3);
    EXPECT_FALSE(runOf(records(5, [](int s) { return sampleRecord(s, 1.0f, 1.0f); })).has(Trace::CellSpread));
}

TEST(RunData, ExtentsOverAnyRangeEqualAPlainScanWhileTheRunGrows)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> noise(0.0f, 1.0f);
    RunData run;
    std::size_t appended = 0;
    // Grown in uneven pieces, as a followed file grows, to cross block and level boundaries.
    for (std::size_t piece : {1u, 126u, 1u, 2000u, 333u, 40000u, 7u}) {
        std::vector<MeasurementRecord> rs;
        for (std::size_t k = 0; k < piece; ++k) {
            const int s = static_cast<int>(++appended);
            MeasurementRecord r = sampleRecord(s, 10 + noise(random), noise(random) - 0.5f, s);
            r.cellVoltage[1] = s > 5000 ? 3.5f + noise(random) : 0.0f;
            if (s == 30000)
                r.voltage = std::nanf("");
            rs.push_back(r);
        }
        run.append(rs.data(), rs.size());
        std::uniform_int_distribution<std::size_t> at(0, run.size());
        for (int k = 0; k < 40; ++k) {
            std::size_t a = at(random), b = at(random);
            if (a > b)
                std::swap(a, b);
            for (Trace trace : {Trace::Voltage, Trace::Current, Trace::Capacity, Trace::Cell2, Trace::Power,
                                Trace::Energy, Trace::Charge}) {
                const Extent want = scan(run, trace, a, b);
                const Extent got = run.extent(trace, a, b);
                ASSERT_EQ(got.empty(), want.empty()) << traceInfo(trace).key << " " << a << ".." << b;
                if (!want.empty()) {
                    ASSERT_EQ(got.minimum, want.minimum) << traceInfo(trace).key << " " << a << ".." << b;
                    ASSERT_EQ(got.maximum, want.maximum) << traceInfo(trace).key << " " << a << ".." << b;
                }
            }
        }
    }
}

TEST(RunData, SnapsToTheNearestSampleAtTheEndsAndBetween)
{
    // Samples at 1, 2, 3, 10, 11 (a gap after 3).
    std::vector<MeasurementRecord> rs;
    for (int s : {1, 2, 3, 10, 11})
        rs.push_back(sampleRecord(s, 1.0f, 1.0f));
    const RunData run = runOf(rs);
    const struct {
        double time;
        std::size_t sample;
    } cases[] = {
        {-1e9, 0}, {0, 0}, {1, 0}, {1.49, 0}, {1.5, 0}, {1.51, 1}, {3, 2}, {6.4, 2},
        {6.5, 2},  {6.6, 3}, {10, 3}, {11, 4}, {11.5, 4}, {1e12, 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run.nearest(c.time), c.sample) << "at " << c.time;
    EXPECT_EQ(RunData().nearest(5), 0u);
}

} // namespace
