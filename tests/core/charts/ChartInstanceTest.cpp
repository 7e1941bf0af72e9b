// The panel and detail-quantity tables: read-out texts per panel and the
// lookups that must never run off the end of a table.
#include "charts/ChartInstance.h"

#include <gtest/gtest.h>

namespace {

TEST(ChartInstanceReadout, EachPanelFormatsItsOwnField)
{
    MeasurementRecord zero{};
    const char* beforeFirstSample[] = {"0(mAh)", "0.00(V)", "0.00", "0.00(A)"};
    for (std::size_t i = 0; i < kChartInstances.size(); ++i)
        EXPECT_EQ(readoutText(kChartInstances[i], zero), beforeFirstSample[i]) << kChartInstances[i].title;

    MeasurementRecord record{};
    record.capacity = 1234;
    record.voltage = 12.3f;
    record.temperature = 25.0f;
    record.current = -1.05f;
    EXPECT_EQ(readoutText(chartInstance(Quantity::Capacity), record), "1234(mAh)");
    EXPECT_EQ(readoutText(chartInstance(Quantity::Voltage), record), "12.30(V)");
    EXPECT_EQ(readoutText(chartInstance(Quantity::Temperature), record), "25.00");
    EXPECT_EQ(readoutText(chartInstance(Quantity::Current), record), "-1.05(A)");
}

TEST(ChartInstanceLookup, PanelsComeInQuantityOrder)
{
    // The overview indexes its panels by Quantity.
    for (std::size_t i = 0; i < kChartInstances.size(); ++i)
        EXPECT_EQ(static_cast<std::size_t>(kChartInstances[i].quantity), i) << kChartInstances[i].title;
}

TEST(ChartInstanceLookup, FindsEveryQuantityAndFallsBackToVoltage)
{
    for (Quantity q : {Quantity::Capacity, Quantity::Voltage, Quantity::Temperature, Quantity::Current})
        EXPECT_EQ(chartInstance(q).quantity, q);
    for (int series = 0; series < 4; ++series)
        EXPECT_EQ(detailQuantity(series).series, series);
    EXPECT_EQ(detailQuantity(-1).quantity, Quantity::Voltage);
    EXPECT_EQ(detailQuantity(4).quantity, Quantity::Voltage);
}

}
