#include "analysis/RunData.h"

#include <algorithm>

namespace {

constexpr double kMilliampHoursPerAmpSecond = 1000.0 / 3600.0;
constexpr double kMillivoltsPerVolt = 1000.0;

constexpr std::size_t blockShift(std::size_t level)
{
    // log2(kBlock) for level 0, four more per level above.
    return 7 + RunData::kFanOutShift * level;
}
static_assert(std::size_t{1} << blockShift(0) == RunData::kBlock);

bool finite(float v) { return std::isfinite(v); }

} // namespace

void RunData::reserve(std::size_t records)
{
    records = std::min(records, kMostReserved);
    time_.reserve(records);
    bridge_.reserve(records);
    voltage_.reserve(records);
    current_.reserve(records);
    temperature_.reserve(records);
    capacity_.reserve(records);
    checkpoints_.reserve(records / kBlock + 1);
}

void RunData::clear()
{
    *this = RunData();
}

bool RunData::has(Trace trace) const
{
    if (empty())
        return false;
    if (isCell(trace))
        return !cells_[static_cast<std::size_t>(cellOf(trace))].empty();
    if (trace == Trace::CellSpread)
        return std::any_of(cells_.begin(), cells_.end(), [](const auto& c) { return !c.empty(); });
    return true;
}

double RunData::spreadAt(std::size_t i) const
{
    // Over the cells that read something in this record: a cell at 0 V is
    // not connected, and would make every spread as large as a cell.
    Extent e;
    for (const std::vector<float>& cell : cells_) {
        if (!cell.empty() && cell[i] != 0.0f)
            e.take(static_cast<double>(cell[i]));
    }
    return e.empty() ? std::nan("") : (e.maximum - e.minimum) * kMillivoltsPerVolt;
}

double RunData::rawValue(Trace trace, std::size_t i) const
{
    switch (trace) {
    case Trace::Voltage: return static_cast<double>(voltage_[i]);
    case Trace::Current: return static_cast<double>(current_[i]);
    case Trace::Capacity: return static_cast<double>(capacity_[i]);
    case Trace::Temperature: return static_cast<double>(temperature_[i]);
    case Trace::CellSpread: return spreadAt(i);
    case Trace::Power: return static_cast<double>(voltage_[i]) * static_cast<double>(current_[i]);
    case Trace::Energy:
    case Trace::Charge: break;
    default: {
        const std::vector<float>& cell = cells_[static_cast<std::size_t>(cellOf(trace))];
        return cell.empty() ? 0.0 : static_cast<double>(cell[i]);
    }
    }
    return std::nan("");
}

double RunData::value(Trace trace, std::size_t i) const
{
    if (trace == Trace::Charge)
        return sums(i).charge;
    if (trace == Trace::Energy)
        return sums(i).energy;
    return rawValue(trace, i);
}

void RunData::addStep(Sums& s, std::size_t i) const
{
    // Trapezoids over one sample period; bridge_ says which ends are known.
    const std::uint8_t bridge = bridge_[i];
    if (bridge & kChargeStep) {
        const double a = static_cast<double>(current_[i - 1]);
        const double b = static_cast<double>(current_[i]);
        s.charge += (a + b) / 2 * kSamplePeriod * kMilliampHoursPerAmpSecond;
        s.seconds += kSamplePeriod;
    }
    if (bridge & kEnergyStep) {
        const double a = static_cast<double>(voltage_[i - 1]) * static_cast<double>(current_[i - 1]);
        const double b = static_cast<double>(voltage_[i]) * static_cast<double>(current_[i]);
        s.energy += (a + b) / 2 * kSamplePeriod / kSecondsPerHour;
    }
}

RunData::Sums RunData::sums(std::size_t i) const
{
    const std::size_t block = i / kBlock;
    Sums s = checkpoints_[block];
    for (std::size_t j = block * kBlock + 1; j <= i; ++j)
        addStep(s, j);
    return s;
}

void RunData::append(const MeasurementRecord* records, std::size_t count)
{
    if (levels_.empty())
        levels_.emplace_back();
    // The extents of the block being filled, per trace (null: the run lacks the trace).
    std::array<Extent*, kTraceCount> open{};
    const auto openBlock = [&](std::size_t block) {
        for (std::size_t t = 0; t < kTraceCount; ++t) {
            open[t] = nullptr;
            if (!has(traceAt(t)))
                continue;
            std::vector<Extent>& extents = levels_[0][t];
            if (extents.size() <= block)
                extents.resize(block + 1);
            open[t] = &extents[block];
        }
    };

    for (std::size_t n = 0; n < count; ++n) {
        const MeasurementRecord& r = records[n];
        const std::size_t i = size();
        const std::int64_t stamp = r.elapsedSeconds;
        const double t = i == 0 ? static_cast<double>(stamp) : std::max(static_cast<double>(stamp), time_.back() + 1);
        const std::int64_t step = stamp - lastStamp_;
        const bool stepped = i > 0 && step > 0 && step <= kSamplePeriod;
        lastStamp_ = stamp;

        time_.push_back(t);
        voltage_.push_back(r.voltage);
        current_.push_back(r.current);
        temperature_.push_back(r.temperature);
        capacity_.push_back(r.capacity);
        bool newCell = false;
        for (std::size_t c = 0; c < cells_.size(); ++c) {
            std::vector<float>& cell = cells_[c];
            if (!cell.empty()) {
                cell.push_back(r.cellVoltage[c]);
            } else if (r.cellVoltage[c] != 0.0f) {
                // First reading of this cell: zeros before it, and its summaries so far.
                cell.reserve(time_.capacity());
                cell.assign(i, 0.0f);
                cell.push_back(r.cellVoltage[c]);
                rebuildSummaries(cellTrace(static_cast<int>(c)));
                rebuildSummaries(Trace::CellSpread);
                newCell = true;
            }
        }
        if (n == 0 || i % kBlock == 0 || newCell)
            openBlock(i / kBlock);

        std::uint8_t bridge = 0;
        const double power = static_cast<double>(r.voltage) * static_cast<double>(r.current);
        if (stepped && finite(current_[i - 1]) && finite(r.current)) {
            bridge |= kChargeStep;
            const double before = static_cast<double>(voltage_[i - 1]) * static_cast<double>(current_[i - 1]);
            if (std::isfinite(before) && std::isfinite(power))
                bridge |= kEnergyStep;
        }
        bridge_.push_back(bridge);
        if (i > 0)
            addStep(running_, i);
        if (i % kBlock == 0)
            checkpoints_.push_back(running_);

        // This sample into its block's extents.
        open[index(Trace::Voltage)]->take(static_cast<double>(r.voltage));
        open[index(Trace::Current)]->take(static_cast<double>(r.current));
        open[index(Trace::Capacity)]->take(static_cast<double>(r.capacity));
        open[index(Trace::Temperature)]->take(static_cast<double>(r.temperature));
        open[index(Trace::Power)]->take(power);
        open[index(Trace::Energy)]->take(running_.energy);
        open[index(Trace::Charge)]->take(running_.charge);
        if (open[index(Trace::CellSpread)]) {
            for (int c = 0; c < kCellCount; ++c) {
                if (Extent* e = open[index(cellTrace(c))])
                    e->take(static_cast<double>(r.cellVoltage[c]));
            }
            open[index(Trace::CellSpread)]->take(spreadAt(i));
        }
        if (i % kBlock == kBlock - 1)
            completeBlock(i / kBlock);
    }
}

void RunData::completeBlock(std::size_t block)
{
    // Fold a finished block into the levels above. A level is added once its
    // first block is complete, filled from the blocks below at once.
    for (std::size_t level = 1;; ++level) {
        const std::size_t shift = kFanOutShift * level;
        if (block + 1 < (std::size_t{1} << shift))
            return;
        const bool added = levels_.size() <= level;
        if (added)
            levels_.emplace_back();
        for (std::size_t t = 0; t < kTraceCount; ++t) {
            const std::vector<Extent>& below = levels_[0][t];
            if (below.empty())
                continue;
            std::vector<Extent>& extents = levels_[level][t];
            extents.resize((block >> shift) + 1);
            for (std::size_t b = added ? 0 : block; b <= block; ++b)
                extents[b >> shift].merge(below[b]);
        }
    }
}

void RunData::rebuildSummaries(Trace trace)
{
    const std::size_t t = index(trace);
    for (auto& level : levels_)
        level[t].clear();
    if (levels_.empty())
        return;
    const std::size_t n = size();
    std::vector<Extent>& level0 = levels_[0][t];
    level0.resize((n + kBlock - 1) / kBlock);
    visit(trace, 0, n, [&](std::size_t i, double v) { level0[i / kBlock].take(v); });
    for (std::size_t level = 1; level < levels_.size(); ++level) {
        std::vector<Extent>& extents = levels_[level][t];
        const std::size_t complete = n / kBlock; // only finished blocks go up
        for (std::size_t b = 0; b < complete; ++b) {
            const std::size_t upper = b >> (kFanOutShift * level);
            if (extents.size() <= upper)
                extents.resize(upper + 1);
            extents[upper].merge(level0[b]);
        }
    }
}

Extent RunData::extent(Trace trace, std::size_t first, std::size_t last) const
{
    Extent e;
    last = std::min(last, size());
    const std::size_t t = index(trace);
    std::size_t i = first;
    while (i < last) {
        // The largest whole summary that starts here and ends in range, else
        // single samples up to the next block boundary.
        bool summarised = false;
        for (std::size_t level = levels(); level-- > 0;) {
            const std::size_t shift = blockShift(level);
            const std::size_t length = std::size_t{1} << shift;
            const std::vector<Extent>& extents = levels_[level][t];
            if (i % length == 0 && i + length <= last && (i >> shift) < extents.size()) {
                e.merge(extents[i >> shift]);
                i += length;
                summarised = true;
                break;
            }
        }
        if (summarised)
            continue;
        const std::size_t end = std::min(last, (i / kBlock + 1) * kBlock);
        visit(trace, i, end, [&e](std::size_t, double v) { e.take(v); });
        i = end;
    }
    return e;
}

std::size_t RunData::find(Trace trace, std::size_t first, std::size_t last, double v) const
{
    last = std::min(last, size());
    std::size_t i = first;
    while (i < last) {
        const std::size_t end = std::min(last, (i / kBlock + 1) * kBlock);
        const Extent e = extent(trace, i, end);
        if (!e.empty() && e.minimum <= v && v <= e.maximum) {
            std::size_t found = end;
            visit(trace, i, end, [&](std::size_t j, double x) {
                if (found == end && x == v)
                    found = j;
            });
            if (found != end)
                return found;
        }
        i = end;
    }
    return last;
}

std::size_t RunData::lowerBound(double t) const
{
    return static_cast<std::size_t>(std::lower_bound(time_.begin(), time_.end(), t) - time_.begin());
}

std::size_t RunData::nearest(double t) const
{
    if (empty())
        return 0;
    const std::size_t after = lowerBound(t);
    if (after == 0)
        return 0;
    if (after == size())
        return size() - 1;
    return t - time_[after - 1] <= time_[after] - t ? after - 1 : after;
}
