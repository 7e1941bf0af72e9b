#include "recording/SampleHistory.h"

#include <algorithm>

namespace {

// Margins around a quantity's values, applied in double precision.
struct Margins {
    Quantity quantity;
    double firstMinimum; // added to the first value for the range minimum
    double firstMaximum; // added to the first value for the range maximum
    double above;        // added to a value above the maximum
    double below;        // added to a value below the minimum
};

constexpr Margins kMargins[kQuantityCount] = {
    // Capacity starts as an empty range at v + 5 and widens downwards without a margin.
    {Quantity::Capacity, 5.0, 5.0, 5.0, 0.0},
    {Quantity::Voltage, -0.2, 0.3, 0.3, -0.2},
    {Quantity::Temperature, -2.0, 3.0, 3.0, -2.0},
    {Quantity::Current, -0.2, 0.3, 0.3, -0.2},
};

// Spelled out so each quantity's field and margins are known at compile time:
// replay runs this for every record of a long log.
template <class Visit>
void forEachQuantity(Visit&& visit)
{
    static_assert(kQuantityCount == 4);
    visit(kMargins[0]);
    visit(kMargins[1]);
    visit(kMargins[2]);
    visit(kMargins[3]);
}

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
    forEachQuantity([&](const Margins& m) {
        const double v = quantityValue(record, m.quantity);
        AxisRange& r = state_.range(m.quantity);
        r.minimum = static_cast<float>(v + m.firstMinimum);
        r.maximum = static_cast<float>(v + m.firstMaximum);
    });

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
    forEachQuantity([&](const Margins& m) {
        const double v = quantityValue(record, m.quantity);
        AxisRange& r = state_.range(m.quantity);
        if (v > r.maximum)
            r.maximum = static_cast<float>(v + m.above);
        else if (v < r.minimum)
            r.minimum = static_cast<float>(v + m.below);
    });
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
