#pragma once

#include "acquisition/MeasurementRecord.h"
#include "analysis/Trace.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// The smallest and largest finite value seen; empty until one is taken.
struct Extent {
    double minimum = std::numeric_limits<double>::infinity();
    double maximum = -std::numeric_limits<double>::infinity();

    bool empty() const { return minimum > maximum; }
    void take(double v)
    {
        if (std::isfinite(v)) {
            minimum = v < minimum ? v : minimum;
            maximum = v > maximum ? v : maximum;
        }
    }
    void merge(const Extent& other)
    {
        minimum = other.minimum < minimum ? other.minimum : minimum;
        maximum = other.maximum > maximum ? other.maximum : maximum;
    }
};

// Every record of one run as columns of numbers, with what makes questions
// about a stretch of it cheap however long the run is: the extent of every
// trace per block of samples (and per block of blocks), and the running
// integrals at the start of every block.
//
// Time: a sample's time is its stamp (seconds since the start of the charge);
// a stamp that does not exceed the one before (a file this program did not
// write) is drawn one second after the previous sample, so time always
// increases. Integrals are trapezoids over steps of exactly one second
// between consecutive stamps: anything else is a gap in the recording and is
// not bridged.
class RunData {
public:
    static constexpr std::size_t kBlock = 128;     // samples summarised together
    static constexpr std::size_t kFanOutShift = 4; // 16 blocks make a block one level up
    static constexpr std::int64_t kSamplePeriod = 1;
    static constexpr double kSecondsPerHour = 3600.0;

    // Capacity for this many records, so that a long log is not copied as it
    // grows; at most kMostReserved, as a file's size is no promise of records
    // (a sparse or foreign file), beyond which the columns grow as they fill.
    static constexpr std::size_t kMostReserved = std::size_t{1} << 22; // seven weeks of seconds, ~100 MB
    void reserve(std::size_t records);
    void append(const MeasurementRecord* records, std::size_t count);
    void clear();

    std::size_t size() const { return time_.size(); }
    bool empty() const { return time_.empty(); }
    double time(std::size_t i) const { return time_[i]; }
    double firstTime() const { return time_.front(); }
    double lastTime() const { return time_.back(); }

    // Whether a trace has anything to draw: cells only once they read non-zero,
    // the spread once a cell does.
    bool has(Trace trace) const;

    // Value of a trace at sample i; NaN where the record holds none (a
    // non-finite field). Integrals walk from the block's start: use visit()
    // for runs of samples.
    double value(Trace trace, std::size_t i) const;

    // Calls visit(i, value) for i in [first, last), in order.
    template <class Visit>
    void visit(Trace trace, std::size_t first, std::size_t last, Visit&& visit) const;

    // Extent of a trace's finite values over samples [first, last).
    Extent extent(Trace trace, std::size_t first, std::size_t last) const;

    // First sample in [first, last) whose value equals v; `last` if none.
    std::size_t find(Trace trace, std::size_t first, std::size_t last, double v) const;

    // First sample at or after `time`; size() if none.
    std::size_t lowerBound(double time) const;
    // The sample closest to `time` (the earlier one on a tie); 0 when empty.
    std::size_t nearest(double time) const;

    // Seconds of bridged steps (current known at both ends) from sample 0 to i.
    double bridgedSeconds(std::size_t i) const { return sums(i).seconds; }

private:
    struct Sums {
        double charge = 0;  // mAh
        double energy = 0;  // Wh
        double seconds = 0; // bridged steps
    };
    enum Bridge : std::uint8_t { kChargeStep = 1, kEnergyStep = 2 };

    Sums sums(std::size_t i) const;
    void addStep(Sums& sums, std::size_t i) const;
    double spreadAt(std::size_t i) const;
    double rawValue(Trace trace, std::size_t i) const; // not for integrals
    void completeBlock(std::size_t block);
    void rebuildSummaries(Trace trace);
    std::size_t levels() const { return levels_.size(); }

    std::vector<double> time_;
    std::vector<std::uint8_t> bridge_; // for the step that ends at sample i
    std::vector<float> voltage_;
    std::vector<float> current_;
    std::vector<float> temperature_;
    std::vector<std::int32_t> capacity_;
    std::array<std::vector<float>, kCellCount> cells_; // empty while the cell has read only zero
    std::vector<Sums> checkpoints_;                    // at the first sample of every block
    Sums running_;
    std::int64_t lastStamp_ = 0;
    // levels_[L][trace][k]: extent over samples [k << s, (k + 1) << s), s = log2(kBlock) + 4L.
    std::vector<std::array<std::vector<Extent>, kTraceCount>> levels_;
};

template <class Visit>
void RunData::visit(Trace trace, std::size_t first, std::size_t last, Visit&& visit) const
{
    last = last < size() ? last : size();
    if (first >= last)
        return;
    if (isIntegral(trace)) {
        Sums s = sums(first);
        const bool charge = trace == Trace::Charge;
        visit(first, charge ? s.charge : s.energy);
        for (std::size_t i = first + 1; i < last; ++i) {
            addStep(s, i);
            visit(i, charge ? s.charge : s.energy);
        }
        return;
    }
    const auto column = [&](const std::vector<float>& values) {
        for (std::size_t i = first; i < last; ++i)
            visit(i, static_cast<double>(values[i]));
    };
    switch (trace) {
    case Trace::Voltage: column(voltage_); return;
    case Trace::Current: column(current_); return;
    case Trace::Temperature: column(temperature_); return;
    case Trace::Capacity:
        for (std::size_t i = first; i < last; ++i)
            visit(i, static_cast<double>(capacity_[i]));
        return;
    default:
        if (isCell(trace) && !cells_[static_cast<std::size_t>(cellOf(trace))].empty()) {
            column(cells_[static_cast<std::size_t>(cellOf(trace))]);
            return;
        }
        for (std::size_t i = first; i < last; ++i)
            visit(i, rawValue(trace, i));
        return;
    }
}
