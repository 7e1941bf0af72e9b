#include "charts/ChartInstance.h"

#include "charts/ChartMath.h"

namespace {
constexpr ChartColour kCapacityColour{22, 220, 220};
constexpr ChartColour kVoltageColour{90, 200, 50};
constexpr ChartColour kTemperatureColour{255, 255, 0};
constexpr ChartColour kCurrentColour{200, 50, 10};
}

const std::array<ChartInstance, 4> kChartInstances{{
    {129, "capacity(mAh)", {10, 100}, "(mAh)", true, Quantity::Capacity, 50, kCapacityColour, true},
    {130, "voltage(V)", {10, 95}, "(V)", false, Quantity::Voltage, 65, kVoltageColour, false},
    {131, "temperature", {10, 100}, "", false, Quantity::Temperature, 65, kTemperatureColour, false},
    {132, "current(A)", {10, 95}, "(A)", false, Quantity::Current, 65, kCurrentColour, false},
}};

const ChartInstance& chartInstance(Quantity quantity)
{
    for (const ChartInstance& instance : kChartInstances)
        if (instance.quantity == quantity)
            return instance;
    return kChartInstances[0];
}

std::string readoutText(const ChartInstance& instance, const MeasurementRecord& record)
{
    const std::string value = instance.readoutIsInteger
        ? std::to_string(record.capacity)
        : ChartMath::formatValue(quantityValue(record, instance.quantity));
    return value + instance.readoutSuffix;
}

const std::array<DetailQuantity, 4> kDetailQuantities{{
    {0, 1018, "Voltage", "voltage(V)", {10, 295}, Quantity::Voltage, kVoltageColour},
    {1, 1019, "Current", "current(A)", {10, 295}, Quantity::Current, kCurrentColour},
    {2, 1020, "Capacity", "Capacity(mAh)", {10, 300}, Quantity::Capacity, kCapacityColour},
    {3, 1021, "Temperature", "temperature", {10, 300}, Quantity::Temperature, kTemperatureColour},
}};

const DetailQuantity& detailQuantity(int series)
{
    if (series < 0 || series >= static_cast<int>(kDetailQuantities.size()))
        return kDetailQuantities[0];
    return kDetailQuantities[static_cast<std::size_t>(series)];
}
