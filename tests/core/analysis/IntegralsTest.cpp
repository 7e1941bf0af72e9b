// Charge and energy integrated from the records: trapezoids over one-second
// steps, against runs whose integrals are known, with gaps in the stamps
// and unreadable values left unbridged.
#include "analysis/RangeStats.h"

#include "SyntheticRun.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// 3.6 A is one mAh per second, but as a float it is a little less.
constexpr double kAmps = 3.6f;

struct IntegralCase {
    const char* name;
    std::vector<MeasurementRecord> run;
    double chargeMah;     // over the whole run
    double energyWh;
    double bridgedSeconds;
};

std::vector<IntegralCase> integralCases()
{
    std::vector<IntegralCase> cases;
    // 2 A at 10 V for 3600 records: 3599 one-second steps.
    cases.push_back({"constant current", records(3600, [](int s) { return sampleRecord(s, 10.0f, 2.0f); }),
                     2.0 * 3599 / 3.6, 20.0 * 3599 / 3600, 3599});
    // I = s / 1000 A: trapezoids are exact for a line, the integral of t/1000 from 1 to 1001.
    cases.push_back({"current ramp",
                     records(1001, [](int s) { return sampleRecord(s, 1.0f, static_cast<float>(s) / 1000.0f); }),
                     (1001.0 * 1001 - 1) / 2000 / 3.6, (1001.0 * 1001 - 1) / 2000 / 3600, 1000});
    // V and I both ramp: power is a parabola, trapezoids overshoot by known amounts.
    {
        auto rs = records(11, [](int s) { return sampleRecord(s, static_cast<float>(s), static_cast<float>(s)); });
        double energy = 0;
        for (int s = 1; s < 11; ++s)
            energy += (double(s) * s + double(s + 1) * (s + 1)) / 2 / 3600;
        cases.push_back({"power parabola", rs, (121.0 - 1) / 2 / 3.6, energy, 10});
    }
    // Stamps 1..10 then 21..30: the ten seconds in between are not bridged.
    {
        auto rs = records(20, [](int s) { return sampleRecord(s <= 10 ? s : s + 10, 5.0f, 3.6f); });
        cases.push_back({"gap in the stamps", rs, kAmps * 18 / 3.6, 5 * kAmps * 18 / 3600, 18});
    }
    // A repeated stamp and one going back are gaps too.
    {
        auto rs = records(6, [](int s) { return sampleRecord(s, 1.0f, 3.6f); });
        rs[2].elapsedSeconds = 2; // 1, 2, 2, 4, 5, 6
        rs[4].elapsedSeconds = 1; // 1, 2, 2, 4, 1, 6
        cases.push_back({"stamps that do not advance", rs, kAmps / 3.6, kAmps / 3600, 1});
    }
    // An unreadable current breaks both steps that touch it.
    {
        auto rs = records(10, [](int s) { return sampleRecord(s, 2.0f, 3.6f); });
        rs[4].current = std::nanf("");
        cases.push_back({"NaN current", rs, kAmps * 7 / 3.6, 2 * kAmps * 7 / 3600, 7});
    }
    {
        auto rs = records(10, [](int s) { return sampleRecord(s, 2.0f, 3.6f); });
        rs[9].voltage = INFINITY;
        cases.push_back({"infinite voltage breaks energy only", rs, kAmps * 9 / 3.6, 2 * kAmps * 8 / 3600, 9});
    }
    cases.push_back({"one record", records(1, [](int s) { return sampleRecord(s, 12.0f, 2.0f); }), 0, 0, 0});
    return cases;
}

TEST(Integrals, MatchRunsWithKnownAnswers)
{
    for (const IntegralCase& c : integralCases()) {
        SCOPED_TRACE(c.name);
        const RunData run = runOf(c.run);
        const RangeStats s = rangeStats(run, 0, run.size() - 1);
        EXPECT_NEAR(s.chargeDelta, c.chargeMah, 1e-9 * std::max(1.0, c.chargeMah));
        EXPECT_NEAR(s.energy, c.energyWh, 1e-9 * std::max(1.0, c.energyWh));
        EXPECT_DOUBLE_EQ(s.bridgedSeconds, c.bridgedSeconds);
        // The running sums agree with stepping through every sample.
        double last = 0;
        run.visit(Trace::Charge, 0, run.size(), [&](std::size_t i, double v) {
            EXPECT_DOUBLE_EQ(v, run.value(Trace::Charge, i)) << i;
            last = v;
        });
        EXPECT_NEAR(last, c.chargeMah, 1e-9 * std::max(1.0, c.chargeMah));
    }
}

TEST(Integrals, AcrossManyBlocksAndBetweenAnyTwoSamples)
{
    // 1 A for 100,000 s, a 50 s gap after sample 40,000: every range's charge
    // is its bridged seconds / 3.6, and the mean current 1 A.
    const RunData run = runOf(records(100000, [](int s) { return sampleRecord(s <= 40000 ? s : s + 50, 4.0f, 1.0f); }));
    const struct {
        std::size_t a, b;
        double seconds;
    } ranges[] = {{0, 99999, 99998}, {0, 39999, 39999}, {39999, 40000, 0}, {39998, 40001, 2},
                  {127, 128, 1},     {12345, 98765, 98765 - 12345 - 1}, {500, 500, 0}};
    for (const auto& r : ranges) {
        SCOPED_TRACE(testing::Message() << r.a << ".." << r.b);
        const RangeStats s = rangeStats(run, r.a, r.b);
        EXPECT_DOUBLE_EQ(s.bridgedSeconds, r.seconds);
        EXPECT_NEAR(s.chargeDelta, r.seconds / 3.6, 1e-6);
        EXPECT_NEAR(s.energy, r.seconds * 4 / 3600, 1e-7);
        if (r.seconds > 0)
            EXPECT_NEAR(s.meanCurrent, 1.0, 1e-9);
        else
            EXPECT_TRUE(std::isnan(s.meanCurrent));
    }
}

} // namespace
