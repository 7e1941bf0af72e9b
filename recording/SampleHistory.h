#pragma once

#include "acquisition/MeasurementRecord.h"
#include "acquisition/SharedWords.h"
#include "recording/ChartState.h"
#include "recording/RecordingHost.h"

// A copy of the four axis ranges for widening many records in a row: a local
// copy stays in registers where the ranges themselves would be reloaded after
// every store into the history. Widening the copy and storing it back is the
// same as widening the ranges.
struct RangeBounds {
    std::array<float, kQuantityCount> maximum{};
    std::array<float, kQuantityCount> minimum{};

    static RangeBounds of(const ChartState& state)
    {
        RangeBounds bounds;
        for (std::size_t q = 0; q < kQuantityCount; ++q) {
            bounds.maximum[q] = state.ranges[q].maximum;
            bounds.minimum[q] = state.ranges[q].minimum;
        }
        return bounds;
    }
    void storeInto(ChartState& state) const
    {
        for (std::size_t q = 0; q < kQuantityCount; ++q) {
            state.ranges[q].maximum = maximum[q];
            state.ranges[q].minimum = minimum[q];
        }
    }
    // At most one bound of each quantity moves: above the maximum it becomes
    // the value plus the upper margin, below the minimum the value minus the
    // lower one (capacity: the value itself). Equal values and NaN change nothing.
    inline void widen(const MeasurementRecord& record);
};

// The history and axis-range rules shared by the recording tick and replay.
class SampleHistory {
public:
    SampleHistory(ChartState& state, SharedWords& words, RecordingHost& host)
        : state_(state), words_(words), host_(host) {}

    // First sample: ranges from the record, cellsStatus from chargeMode, the
    // cell indicators and cellCount (live mode only), then the data transfer.
    void initRanges(const MeasurementRecord& record);
    // Widen each quantity's range by one more record (at most one bound each).
    void widenRanges(const MeasurementRecord& record);
    // Stores a record at position historyCount; false (nothing stored) when full.
    bool append(const MeasurementRecord& record);
    // Keeps entries 0, 2, 4, ... in order and zeroes the rest: a full
    // history of 320 becomes 160, a shorter one (gaps) half of it, rounded up.
    void halve();

    ChartState& state() { return state_; }
    const ChartState& state() const { return state_; }
    SharedWords& words() { return words_; }
    RecordingHost& host() { return host_; }

private:
    ChartState& state_;
    SharedWords& words_;
    RecordingHost& host_;
};

namespace detail {
// Margins around a quantity's values, applied in double precision.
struct RangeMargins {
    double above; // added to a value above the maximum
    double below; // added to a value below the minimum
};
struct QuantityMargins {
    Quantity quantity;
    RangeMargins margins;
};
// In Quantity's order, which indexes it. Capacity widens downwards without a margin.
constexpr QuantityMargins kWidenMargins[kQuantityCount] = {
    {Quantity::Capacity, {5.0, 0.0}},
    {Quantity::Voltage, {0.3, -0.2}},
    {Quantity::Temperature, {3.0, -2.0}},
    {Quantity::Current, {0.3, -0.2}},
};
constexpr bool inQuantityOrder()
{
    for (int i = 0; i < kQuantityCount; ++i) {
        if (static_cast<int>(kWidenMargins[i].quantity) != i)
            return false;
    }
    return true;
}
static_assert(inQuantityOrder(), "kWidenMargins is indexed by Quantity");

template <Quantity q>
inline void widenOne(RangeBounds& bounds, const MeasurementRecord& record)
{
    constexpr auto i = static_cast<std::size_t>(q);
    if constexpr (q == Quantity::Capacity) {
        const double v = record.capacity;
        if (v > bounds.maximum[i])
            bounds.maximum[i] = static_cast<float>(v + kWidenMargins[i].margins.above);
        else if (v < bounds.minimum[i])
            bounds.minimum[i] = static_cast<float>(v + kWidenMargins[i].margins.below);
    } else {
        // A float field against a float bound: comparing them as floats is
        // comparing them in double, without the conversions.
        const float v = static_cast<float>(quantityValue(record, q));
        if (v > bounds.maximum[i])
            bounds.maximum[i] = static_cast<float>(static_cast<double>(v) + kWidenMargins[i].margins.above);
        else if (v < bounds.minimum[i])
            bounds.minimum[i] = static_cast<float>(static_cast<double>(v) + kWidenMargins[i].margins.below);
    }
}
} // namespace detail

// Spelled out so each quantity's field and margins are known at compile time:
// replay runs this for every record of a long log.
inline void RangeBounds::widen(const MeasurementRecord& record)
{
    static_assert(kQuantityCount == 4);
    detail::widenOne<Quantity::Capacity>(*this, record);
    detail::widenOne<Quantity::Voltage>(*this, record);
    detail::widenOne<Quantity::Temperature>(*this, record);
    detail::widenOne<Quantity::Current>(*this, record);
}
