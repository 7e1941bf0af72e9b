#include "recording/LogReplay.h"

#include "recording/LogProgress.h"
#include "recording/LogReader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Span: the smallest 10 x 2^k not less than n; the step doubles with every span beyond the history.
void fitSpan(ChartState& state, std::int64_t n)
{
    int span = state.timeSpan;
    int step = state.thinningStep;
    while (span > 0 && span < n && span <= std::numeric_limits<int>::max() / 2) {
        span *= 2;
        if (span > kHistoryCapacity)
            step *= 2;
    }
    state.timeSpan = span;
    state.thinningStep = step;
    state.xScale = (n <= kHistoryCapacity && span > 0) ? state.plotRect.width() / span : 2;
}

// Whether a record's stamp, taken as unsigned, is a multiple of the step.
class StepFilter {
public:
    explicit StepFilter(int step)
        : step_(static_cast<std::uint32_t>(std::max(1, step))), mask_(step_ - 1), powerOfTwo_(std::has_single_bit(step_))
    {
    }
    bool selects(std::int32_t stamp) const
    {
        const auto s = static_cast<std::uint32_t>(stamp);
        // The step is a power of two, so a mask tells multiples without a division per record.
        return powerOfTwo_ ? (s & mask_) == 0 : s % step_ == 0;
    }

private:
    std::uint32_t step_;
    std::uint32_t mask_;
    bool powerOfTwo_;
};

// Tells, a few instructions per record, whether a record may move a bound;
// only those go through RangeBounds::widen. It may answer yes needlessly,
// never no wrongly: the four compares of the rule are made at once, capacity
// against whole-number thresholds (an integer lies above a float bound exactly
// when it lies above its floor, below it exactly when below its ceiling).
class RangeScreen {
public:
    explicit RangeScreen(const RangeBounds& bounds)
    {
#if defined(__SSE2__)
        constexpr auto c = static_cast<std::size_t>(Quantity::Capacity);
        constexpr auto v = static_cast<std::size_t>(Quantity::Voltage);
        constexpr auto t = static_cast<std::size_t>(Quantity::Temperature);
        constexpr auto a = static_cast<std::size_t>(Quantity::Current);
        // Lanes as in the record: auxValue (never charted), voltage, current,
        // temperature. NaN compares false, so the first lane never fires.
        const float never = std::numeric_limits<float>::quiet_NaN();
        above_ = _mm_setr_ps(never, bounds.maximum[v], bounds.maximum[a], bounds.maximum[t]);
        below_ = _mm_setr_ps(never, bounds.minimum[v], bounds.minimum[a], bounds.minimum[t]);
        constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
        constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
        const double top = bounds.maximum[c];
        const double bottom = bounds.minimum[c];
        std::int32_t capacityAbove = kMax; // NaN or beyond every int: nothing lies above
        std::int32_t capacityBelow = kMin;
        if (top < static_cast<double>(kMin) || bottom > static_cast<double>(kMax)) {
            everyRecord_ = true; // every capacity moves the bound: no threshold can say so
        } else {
            if (top < static_cast<double>(kMax))
                capacityAbove = static_cast<std::int32_t>(std::floor(top));
            if (bottom > static_cast<double>(kMin))
                capacityBelow = static_cast<std::int32_t>(std::ceil(bottom));
        }
        // Lanes: capacity, then three cells that the rule does not look at.
        capacityAbove_ = _mm_setr_epi32(capacityAbove, kMax, kMax, kMax);
        capacityBelow_ = _mm_setr_epi32(capacityBelow, kMin, kMin, kMin);
#else
        (void)bounds;
#endif
    }

    bool mayWiden(const MeasurementRecord& record) const
    {
#if defined(__SSE2__)
        const auto* words = reinterpret_cast<const float*>(&record);
        const __m128 floats = _mm_loadu_ps(words);
        const __m128i ints = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 4));
        const __m128 f = _mm_or_ps(_mm_cmpgt_ps(floats, above_), _mm_cmplt_ps(floats, below_));
        const __m128i i = _mm_or_si128(_mm_cmpgt_epi32(ints, capacityAbove_), _mm_cmplt_epi32(ints, capacityBelow_));
        return everyRecord_ || (_mm_movemask_ps(f) | _mm_movemask_epi8(i)) != 0;
#else
        (void)record;
        return true;
#endif
    }

private:
#if defined(__SSE2__)
    __m128 above_;
    __m128 below_;
    __m128i capacityAbove_;
    __m128i capacityBelow_;
#endif
    bool everyRecord_ = false;
};

struct PassResult {
    std::int64_t records = 0;
    std::int64_t ignoredSelections = 0;
    bool cancelled = false;
    LogFileCheck check;
};

// One pass over the first `n` records of the file: the span first, from n;
// then, block by block, the ranges and the history.
PassResult replayPass(LogReader& reader, SampleHistory& history, std::int64_t n, const ReplayHooks& hooks)
{
    ChartState& state = history.state();
    fitSpan(state, n);
    const StepFilter filter(state.thinningStep);

    PassResult result;
    for (std::size_t count; result.records < n && (count = reader.next()) > 0;) {
        // A file that grew since the start is read only up to its count then.
        count = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), n - result.records));
        const MeasurementRecord* records = &reader.at(0);
        std::size_t first = 0;
        if (result.records == 0) {
            history.initRanges(records[0]);
            first = 1;
        }
        // The ranges take every record. A loop of its own, without calls, so
        // that the bounds stay in registers.
        RangeBounds bounds = RangeBounds::of(state);
        RangeScreen screen(bounds);
        for (std::size_t i = first; i < count; ++i) {
            if (screen.mayWiden(records[i])) {
                bounds.widen(records[i]);
                screen = RangeScreen(bounds);
            }
        }
        bounds.storeInto(state);
        // The history takes the records whose stamps are due, in file order.
        for (std::size_t i = 0; i < count; ++i) {
            if (filter.selects(records[i].elapsedSeconds) && !history.append(records[i]))
                ++result.ignoredSelections;
        }
        result.check.take(records, count);
        state.snapshotRecord = records[count - 1];
        if (hooks.eachBlock)
            hooks.eachBlock(records, count);
        result.records += static_cast<std::int64_t>(count);
        if (hooks.progress != nullptr && !hooks.progress->advance(result.records, n)) {
            result.cancelled = true;
            break;
        }
    }
    return result;
}

} // namespace

ReplayReport readLogFile(const std::string& path, SampleHistory& history, const ReplayHooks& hooks)
{
    ReplayReport report;
    ChartState& state = history.state();
    // The history is emptied first, so a file that cannot be read shows no stale samples.
    state.historyCount = 0;

    LogReader reader(path);
    if (!reader.isOpen()) {
        report.error = reader.error();
        return report;
    }
    report.opened = true;
    const std::int64_t size = reader.sizeAtOpen();
    report.recordsAtStart = size / static_cast<std::int64_t>(kRecordSize);
    report.trailingBytes = static_cast<int>(size % static_cast<std::int64_t>(kRecordSize));

    const ChartState initial = state;
    const int initialCellsStatus = history.words().cellsStatus.load();
    PassResult pass = replayPass(reader, history, report.recordsAtStart, hooks);
    if (reader.error().empty() && !pass.cancelled && pass.records < report.recordsAtStart) {
        // Cut short under the reader: the span was fitted to records that are
        // gone. Once more over those that were read (eachBlock has seen them),
        // so that the state is what replaying them gives; still with progress,
        // which can stop it as it could the first pass.
        state = initial;
        history.words().cellsStatus.store(initialCellsStatus);
        const std::int64_t read = pass.records;
        pass = PassResult{};
        ReplayHooks again;
        again.progress = hooks.progress;
        if (read > 0 && reader.rewind())
            pass = replayPass(reader, history, read, again);
    }
    report.records = pass.records;
    report.ignoredSelections = pass.ignoredSelections;
    report.cancelled = pass.cancelled;
    report.check = pass.check;
    report.check.finish(report.trailingBytes);
    report.error = reader.error();
    return report;
}
