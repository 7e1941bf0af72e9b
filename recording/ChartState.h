#pragma once

#include "acquisition/MeasurementRecord.h"

#include <array>

constexpr int kHistoryCapacity = 320;

// The four charted quantities, in the order of the small chart panels.
enum class Quantity { Capacity = 0, Voltage = 1, Temperature = 2, Current = 3 };
constexpr int kQuantityCount = 4;

// The value a chart plots for a quantity (capacity's integer taken as a number).
// Inline: replay evaluates it four times for every record of a long log.
inline double quantityValue(const MeasurementRecord& record, Quantity quantity)
{
    switch (quantity) {
    case Quantity::Capacity:
        return static_cast<double>(record.capacity);
    case Quantity::Voltage:
        return record.voltage;
    case Quantity::Temperature:
        return record.temperature;
    case Quantity::Current:
        return record.current;
    }
    return 0.0;
}

struct AxisRange {
    float maximum = 0.0f;
    float minimum = 0.0f;
};

struct PlotRect {
    int left = 100;
    int top = 10;
    int right = 740;
    int bottom = 110;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// Everything the charts draw from. Written by the recording tick and by replay
// on the user-interface thread; the views read it by const reference.
struct ChartState {
    MeasurementRecord snapshotRecord{};
    std::array<MeasurementRecord, kHistoryCapacity> history{};
    int historyCount = 0;
    int thinningStep = 1;
    int timeSpan = 10;
    int xScale = 64;
    PlotRect plotRect{};
    int seriesPenWidth = 1;
    std::array<AxisRange, kQuantityCount> ranges{}; // indexed by Quantity

    AxisRange& range(Quantity q) { return ranges[static_cast<int>(q)]; }
    const AxisRange& range(Quantity q) const { return ranges[static_cast<int>(q)]; }
};
