#include "recording/SampleHistory.h"

#include <algorithm>

namespace {

// The first sample's range around its value, applied in double precision.
struct FirstMargins {
    Quantity quantity;
    double minimum; // added to the first value for the range minimum
    double maximum; // added to the first value for the range maximum
};

// Capacity starts as an empty range at v + 5.
constexpr FirstMargins kFirstMargins[kQuantityCount] = {
    {Quantity::Capacity, 5.0, 5.0},
    {Quantity::Voltage, -0.2, 0.3},
    {Quantity::Temperature, -2.0, 3.0},
    {Quantity::Current, -0.2, 0.3},
};

constexpr int kCellSlots = 8;

int leadingNonZeroCells(const MeasurementRecord& record)
{
    int k = 0;
    while (k < kCellSlots && record.cellVoltage[k] != 0.0f)
        ++k;
    return k;
}

} // namespace

void SampleHistory::initRanges(const MeasurementRecord& record)
{
    for (const FirstMargins& m : kFirstMargins) {
        const double v = quantityValue(record, m.quantity);
        AxisRange& r = state_.range(m.quantity);
        r.minimum = static_cast<float>(v + m.minimum);
        r.maximum = static_cast<float>(v + m.maximum);
    }

    words_.cellsStatus = record.chargeMode == 1 ? CellsStatus::Charge : CellsStatus::Discharge;

    if (words_.runMode == RunMode::Live) {
        const int cells = leadingNonZeroCells(record);
        host_.showCellIndicators(cells);
        words_.cellCount = cells;
    }

    host_.transferOverviewData();
}

void SampleHistory::widenRanges(const MeasurementRecord& record)
{
    RangeBounds bounds = RangeBounds::of(state_);
    bounds.widen(record);
    bounds.storeInto(state_);
}

bool SampleHistory::append(const MeasurementRecord& record)
{
    if (state_.historyCount < 0 || state_.historyCount >= kHistoryCapacity)
        return false;
    state_.history[static_cast<std::size_t>(state_.historyCount)] = record;
    ++state_.historyCount;
    return true;
}

void SampleHistory::halve()
{
    // A run without gaps halves a full history, 320 entries to 160. Seconds
    // skipped while the line was down leave it short, and then only entries
    // that hold samples are kept.
    const int count = std::clamp(state_.historyCount, 0, kHistoryCapacity);
    const int kept = (count + 1) / 2;
    for (int k = 0; k < kept; ++k)
        state_.history[static_cast<std::size_t>(k)] = state_.history[static_cast<std::size_t>(2 * k)];
    std::fill(state_.history.begin() + kept, state_.history.end(), MeasurementRecord{});
    state_.historyCount = kept;
}
