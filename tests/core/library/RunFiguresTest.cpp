// The figures the library keeps of a run, for runs whose answers are known
// by hand.
#include "core/analysis/SyntheticRun.h"
#include "library/RunFigures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Case {
    const char* name;
    std::vector<MeasurementRecord> records;
    RunFigures expected;
};

RunFigures expect(RunFigures::Mode mode, double duration, double capacity, double integrated, double energy)
{
    RunFigures f;
    f.mode = mode;
    f.duration = duration;
    f.capacity = capacity;
    f.integratedCapacity = integrated;
    f.energy = energy;
    return f;
}

// 3601 records at 2 A and 12 V: 3600 one-second steps make exactly one hour.
std::vector<MeasurementRecord> steadyHour(float current, int chargeMode, std::int32_t capacitySign)
{
    return records(3601, [=](int s) {
        MeasurementRecord r = sampleRecord(s, 12.0f, current, capacitySign * (s - 1) * 2000 / 3600);
        r.chargeMode = chargeMode;
        r.batteryType = 1;
        return r;
    });
}

TEST(RunFigures, IntegralsCapacityAndModeOfRunsWithKnownAnswers)
{
    std::vector<Case> cases;
    {
        Case c{"a one-hour charge at 2 A and 12 V", steadyHour(2.0f, 1, 1),
               expect(RunFigures::Mode::Charge, 3601, 2000, 2000, 24)};
        cases.push_back(c);
    }
    {
        // Chargers that count a discharge below zero: the library keeps amounts.
        Case c{"a discharge with negative current and count", steadyHour(-2.0f, 0, -1),
               expect(RunFigures::Mode::Discharge, 3601, 2000, 2000, 24)};
        cases.push_back(c);
    }
    {
        // Records 1..1801 and 3601..5401: the 1800 s gap is not bridged.
        std::vector<MeasurementRecord> rs = steadyHour(2.0f, 1, 1);
        for (std::size_t i = 1801; i < rs.size(); ++i)
            rs[i].elapsedSeconds += 1799;
        Case c{"a gap in the stamps", rs, expect(RunFigures::Mode::Charge, 5400, 2000, 2000 - 2000.0 / 3600, 24 - 24.0 / 3600)};
        cases.push_back(c);
    }
    {
        // Any chargeMode other than 1 is a discharge, as the first sample tells the program.
        std::vector<MeasurementRecord> rs = steadyHour(2.0f, 1, 1);
        rs.front().chargeMode = 7;
        Case c{"a first record with mode 7", rs, expect(RunFigures::Mode::Discharge, 3601, 2000, 2000, 24)};
        cases.push_back(c);
    }
    for (const Case& c : cases) {
        const RunFigures f = runFigures(runOf(c.records), c.records.front());
        EXPECT_EQ(f.mode, c.expected.mode) << c.name;
        EXPECT_EQ(f.records, static_cast<std::int64_t>(c.records.size())) << c.name;
        EXPECT_DOUBLE_EQ(f.duration, c.expected.duration) << c.name;
        EXPECT_NEAR(f.capacity, c.expected.capacity, 1e-9) << c.name;
        EXPECT_NEAR(f.integratedCapacity, c.expected.integratedCapacity, 1e-6) << c.name;
        EXPECT_NEAR(f.energy, c.expected.energy, 1e-6) << c.name;
        EXPECT_NEAR(f.peakCurrent, 2.0, 1e-9) << c.name;
    }
}

TEST(RunFigures, PeaksEndValuesAndCellSpreads)
{
    // Three cells; cell 3 lags 40 mV at the end, the spread peaks at 60 mV at second 50.
    std::vector<MeasurementRecord> rs = records(100, [](int s) {
        MeasurementRecord r = sampleRecord(s, 11.0f + 0.01f * static_cast<float>(s), 1.5f);
        r.temperature = s == 70 ? 41.0f : 30.0f;
        r.cellVoltage[0] = 3.90f;
        r.cellVoltage[1] = 3.92f;
        r.cellVoltage[2] = s == 50 ? 3.86f : 3.88f;
        return r;
    });
    rs[30].current = -3.0f; // a negative spike is the largest current
    const RunFigures f = runFigures(runOf(rs), rs.front());
    EXPECT_EQ(f.cells, 3);
    EXPECT_NEAR(f.peakVoltage, 12.0, 1e-5);
    EXPECT_NEAR(f.endVoltage, 12.0, 1e-5);
    EXPECT_NEAR(f.peakCurrent, 3.0, 1e-9);
    ASSERT_TRUE(f.peakTemperature);
    EXPECT_EQ(*f.peakTemperature, 41.0);
    ASSERT_TRUE(f.endCells[2]);
    EXPECT_NEAR(*f.endCells[2], 3.88, 1e-6);
    EXPECT_FALSE(f.endCells[3]);
    ASSERT_TRUE(f.endSpread && f.largestSpread);
    EXPECT_NEAR(*f.endSpread, 40.0, 1e-3);
    EXPECT_NEAR(*f.largestSpread, 60.0, 1e-3);
}

TEST(RunFigures, RunsWithoutCellsOrTemperatureHaveNoSuchFigures)
{
    // The 112-byte frames carry no temperature: 0 throughout is no reading.
    const std::vector<MeasurementRecord> rs = records(10, [](int s) {
        MeasurementRecord r = sampleRecord(s, 7.2f, 1.0f);
        r.temperature = 0.0f;
        return r;
    });
    const RunFigures f = runFigures(runOf(rs), rs.front());
    EXPECT_EQ(f.cells, 0);
    EXPECT_FALSE(f.peakTemperature);
    EXPECT_FALSE(f.endSpread);
    EXPECT_FALSE(f.largestSpread);
}

TEST(RunFigures, JudgedCapacityFallsBackToTheIntegratedCurrent)
{
    RunFigures f;
    f.integratedCapacity = 1234;
    EXPECT_EQ(f.judgedCapacity(), 1234);
    f.capacity = 1200;
    EXPECT_EQ(f.judgedCapacity(), 1200);
}

} // namespace
