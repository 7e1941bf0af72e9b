// Decimation per pixel column: every column keeps the extremes of the samples
// it covers, compared with a plain scan, at every zoom; a single spike among
// a million samples survives; no column gives more than two points.
#include "analysis/Decimation.h"

#include "SyntheticRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// The samples of column c, found the plain way.
Extent scanColumn(const RunData& run, Trace trace, double from, double to, int columns, int c)
{
    const double width = (to - from) / columns;
    const double lo = from + c * width;
    const double hi = from + (c + 1) * width;
    Extent e;
    for (std::size_t i = 0; i < run.size(); ++i) {
        const double t = run.time(i);
        if (t >= lo && (t < hi || (c + 1 == columns && t <= to)))
            e.take(run.value(trace, i));
    }
    return e;
}

// Every column's minimum and maximum appear among the points inside it, and
// nothing beyond them does.
void expectColumnsKeepTheirExtremes(const RunData& run, Trace trace, double from, double to, int columns)
{
    const std::vector<PlotPoint> points = decimate(run, trace, from, to, columns);
    const double width = (to - from) / columns;
    std::vector<Extent> shown(static_cast<std::size_t>(columns));
    std::vector<int> count(static_cast<std::size_t>(columns), 0);
    for (const PlotPoint& p : points) {
        if (p.time < from || p.time > to)
            continue;
        const int c = std::min(columns - 1, static_cast<int>((p.time - from) / width));
        shown[static_cast<std::size_t>(c)].take(p.value);
        ++count[static_cast<std::size_t>(c)];
    }
    for (int c = 0; c < columns; ++c) {
        const Extent want = scanColumn(run, trace, from, to, columns, c);
        const Extent& got = shown[static_cast<std::size_t>(c)];
        ASSERT_EQ(got.empty(), want.empty()) << "column " << c;
        if (want.empty())
            continue;
        ASSERT_EQ(got.minimum, want.minimum) << "column " << c;
        ASSERT_EQ(got.maximum, want.maximum) << "column " << c;
        ASSERT_LE(count[static_cast<std::size_t>(c)], 2) << "column " << c;
    }
}

RunData noisyRun(int n, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    return runOf(records(n, [&](int s) {
        MeasurementRecord r = sampleRecord(s, 12.0f + noise(random), 2.0f + noise(random), s / 3);
        r.cellVoltage[0] = 3.7f + noise(random) * 0.01f;
        r.cellVoltage[1] = 3.7f + noise(random) * 0.01f;
        return r;
    }));
}

TEST(Decimation, EveryColumnKeepsTheExtremesOfItsSamplesAtEveryZoom)
{
    const RunData run = noisyRun(20000, 7);
    const struct {
        double from, to;
        int columns;
    } views[] = {
        {1, 20000, 800},      // ~25 samples a column: raw ends and summaries
        {1, 20000, 37},       // ~540 a column: several blocks each
        {1000.5, 1020.5, 640}, // deep zoom: most columns empty, some one sample
        {1, 20000, 20000},    // one sample a column
        {4321, 17777, 333},
        {19990, 20000, 3},    // the end of the run
    };
    for (const auto& v : views) {
        for (Trace trace : {Trace::Voltage, Trace::Capacity, Trace::CellSpread, Trace::Power, Trace::Charge}) {
            SCOPED_TRACE(testing::Message() << traceInfo(trace).key << " " << v.from << ".." << v.to << " in "
                                            << v.columns);
            expectColumnsKeepTheirExtremes(run, trace, v.from, v.to, v.columns);
        }
    }
}

TEST(Decimation, ASingleSpikeAmongAMillionSamplesStaysVisibleAtEveryZoom)
{
    constexpr int kSamples = 1000000;
    constexpr int kSpikeAt = 765432; // stamp
    RunData run = runOf(records(kSamples, [](int s) { return sampleRecord(s, s == kSpikeAt ? 30.0f : 12.0f, 1.0f); }));
    for (double span : {1e6, 1e5, 1e4, 1000.0, 100.0, 10.0}) {
        for (int columns : {1, 100, 1000, 1920}) {
            const double from = std::max(1.0, kSpikeAt - span * 0.3);
            const std::vector<PlotPoint> points = decimate(run, Trace::Voltage, from, from + span, columns);
            double top = 0;
            for (const PlotPoint& p : points)
                top = std::max(top, p.value);
            EXPECT_EQ(top, 30.0) << "span " << span << " in " << columns << " columns";
            EXPECT_LE(points.size(), 2u * static_cast<std::size_t>(columns) + 2);
        }
    }
}

TEST(Decimation, LinesRunOnToTheEdgesAndSkipUnreadableValues)
{
    std::vector<MeasurementRecord> rs = records(100, [](int s) { return sampleRecord(s, float(s), 1.0f); });
    rs[50].voltage = std::nanf("");
    const RunData run = runOf(rs);
    // Deep inside: the neighbours outside the view come along.
    const std::vector<PlotPoint> points = decimate(run, Trace::Voltage, 40.5, 60.5, 400);
    ASSERT_GE(points.size(), 3u);
    EXPECT_EQ(points.front().time, 40);
    EXPECT_EQ(points.back().time, 61);
    for (const PlotPoint& p : points)
        EXPECT_TRUE(std::isfinite(p.value));
    EXPECT_EQ(points.size(), 21u); // 40..61 without the NaN at 51
    // Shifted runs are decimated in shown time.
    const std::vector<PlotPoint> shifted = decimate(run, Trace::Voltage, 0.5, 20.5, 400, 40);
    ASSERT_EQ(shifted.size(), points.size());
    EXPECT_EQ(shifted.front().time, 0);
    EXPECT_EQ(shifted.front().value, 40);
}

TEST(Decimation, NothingForAnEmptyRunAMissingTraceOrAnEmptyView)
{
    const RunData empty;
    EXPECT_TRUE(decimate(empty, Trace::Voltage, 0, 10, 100).empty());
    const RunData run = runOf(records(10, [](int s) { return sampleRecord(s, 1.0f, 1.0f); }));
    EXPECT_TRUE(decimate(run, Trace::Cell3, 0, 10, 100).empty());
    EXPECT_TRUE(decimate(run, Trace::Voltage, 5, 5, 100).empty());
    EXPECT_TRUE(decimate(run, Trace::Voltage, 0, 10, 0).empty());
}

} // namespace
