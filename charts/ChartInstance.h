#pragma once

#include "recording/ChartState.h"

#include <array>
#include <string>

// Everything that differs between the four small chart panels, and between
// the four quantities of the detail chart, as data.

struct ChartColour {
    int red = 0;
    int green = 0;
    int blue = 0;
};

struct ChartPoint {
    int x = 0;
    int y = 0;
};

struct ChartInstance {
    int templateId;
    const char* title;
    ChartPoint titleAt;            // reference point of the upward-running title
    const char* readoutSuffix;     // after the value: "(mAh)", "(V)", "", "(A)"
    bool readoutIsInteger;         // "%d" of the integer field instead of "%.2f"
    Quantity quantity;
    int valueLabelX;
    ChartColour colour;
    bool holdFirstPointAtBottom;   // a first point below the range starts on the bottom edge
};

// The panels in their order in the overview: capacity, voltage, temperature, current.
extern const std::array<ChartInstance, 4> kChartInstances;

// The instance of a quantity's panel.
const ChartInstance& chartInstance(Quantity quantity);

// The read-out text of a panel for a record, e.g. "1234(mAh)" or "12.30(V)".
std::string readoutText(const ChartInstance& instance, const MeasurementRecord& record);

struct DetailQuantity {
    int series;                    // the detailSeries number
    int buttonId;
    const char* caption;
    const char* title;
    ChartPoint titleAt;
    Quantity quantity;
    ChartColour colour;
};

// Indexed by detailSeries: voltage, current, capacity, temperature.
extern const std::array<DetailQuantity, 4> kDetailQuantities;

// The entry for a detailSeries number; anything out of range means voltage.
const DetailQuantity& detailQuantity(int series);
