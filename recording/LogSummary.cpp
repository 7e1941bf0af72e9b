#include "recording/LogSummary.h"
#include "recording/SilentRecordingHost.h"

#include "recording/RecordingHost.h"
#include "recording/SampleHistory.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr const char* kFieldNames[LogSummary::kFieldCount] = {
    "voltage", "current", "capacity", "temperature", "cell1", "cell2",
    "cell3", "cell4", "cell5", "cell6", "cell7", "cell8",
};

constexpr int kWords = static_cast<int>(kRecordSize / 4);

// One pass over a block: the least and greatest of every word read as a
// float (NaN left out: +inf and -inf when every one is NaN), and the least
// and greatest capacity.
struct BlockScan {
    float low[kWords];
    float high[kWords];
    std::int32_t capacityLow = std::numeric_limits<std::int32_t>::max();
    std::int32_t capacityHigh = std::numeric_limits<std::int32_t>::min();
};

BlockScan scanBlock(const MeasurementRecord* records, std::size_t count)
{
    BlockScan scan;
    std::int32_t capacityLow = scan.capacityLow;
    std::int32_t capacityHigh = scan.capacityHigh;
#if defined(__SSE2__)
    // Four registers hold a record; min(v, low) keeps low when v is NaN.
    const __m128 inf = _mm_set1_ps(std::numeric_limits<float>::infinity());
    const __m128 minusInf = _mm_set1_ps(-std::numeric_limits<float>::infinity());
    __m128 lo0 = inf, lo1 = inf, lo2 = inf, lo3 = inf;
    __m128 hi0 = minusInf, hi1 = minusInf, hi2 = minusInf, hi3 = minusInf;
#else
    std::fill(std::begin(scan.low), std::end(scan.low), std::numeric_limits<float>::infinity());
    std::fill(std::begin(scan.high), std::end(scan.high), -std::numeric_limits<float>::infinity());
#endif
    for (std::size_t i = 0; i < count; ++i) {
        const MeasurementRecord& record = records[i];
        capacityLow = record.capacity < capacityLow ? record.capacity : capacityLow;
        capacityHigh = record.capacity > capacityHigh ? record.capacity : capacityHigh;
#if defined(__SSE2__)
        const auto* words = reinterpret_cast<const float*>(&record);
        const __m128 v0 = _mm_loadu_ps(words);
        const __m128 v1 = _mm_loadu_ps(words + 4);
        const __m128 v2 = _mm_loadu_ps(words + 8);
        const __m128 v3 = _mm_loadu_ps(words + 12);
        lo0 = _mm_min_ps(v0, lo0);
        lo1 = _mm_min_ps(v1, lo1);
        lo2 = _mm_min_ps(v2, lo2);
        lo3 = _mm_min_ps(v3, lo3);
        hi0 = _mm_max_ps(v0, hi0);
        hi1 = _mm_max_ps(v1, hi1);
        hi2 = _mm_max_ps(v2, hi2);
        hi3 = _mm_max_ps(v3, hi3);
#else
        float words[kWords];
        std::memcpy(words, &record, sizeof words);
        for (int w = 0; w < kWords; ++w) {
            scan.low[w] = words[w] < scan.low[w] ? words[w] : scan.low[w];
            scan.high[w] = words[w] > scan.high[w] ? words[w] : scan.high[w];
        }
#endif
    }
#if defined(__SSE2__)
    _mm_storeu_ps(scan.low, lo0);
    _mm_storeu_ps(scan.low + 4, lo1);
    _mm_storeu_ps(scan.low + 8, lo2);
    _mm_storeu_ps(scan.low + 12, lo3);
    _mm_storeu_ps(scan.high, hi0);
    _mm_storeu_ps(scan.high + 4, hi1);
    _mm_storeu_ps(scan.high + 8, hi2);
    _mm_storeu_ps(scan.high + 12, hi3);
#endif
    scan.capacityLow = capacityLow;
    scan.capacityHigh = capacityHigh;
    return scan;
}

} // namespace

void LogSummary::Extent::take(double v)
{
    if (std::isnan(v))
        return;
    if (!any) {
        minimum = maximum = v;
        any = true;
    } else if (v < minimum) {
        minimum = v;
    } else if (v > maximum) {
        maximum = v;
    }
}

const char* LogSummary::fieldName(int field)
{
    return field >= 0 && field < kFieldCount ? kFieldNames[field] : "";
}

void LogSummary::take(const MeasurementRecord* records, std::size_t count)
{
    if (count == 0)
        return;
    if (records_ == 0)
        firstStamp_ = records[0].elapsedSeconds;
    lastStamp_ = records[count - 1].elapsedSeconds;
    // The gap in the stamps comes from the replay's check of the same records.
    const BlockScan scan = scanBlock(records, count);
    records_ += static_cast<std::int64_t>(count);
    const float* low = scan.low;
    const float* high = scan.high;
    const auto takeWord = [&](int field, int word) {
        if (low[word] <= high[word]) { // some value that is not NaN
            extents_[static_cast<std::size_t>(field)].take(low[word]);
            extents_[static_cast<std::size_t>(field)].take(high[word]);
        }
    };
    constexpr int kVoltageWord = offsetof(MeasurementRecord, voltage) / 4;
    constexpr int kCurrentWord = offsetof(MeasurementRecord, current) / 4;
    constexpr int kTemperatureWord = offsetof(MeasurementRecord, temperature) / 4;
    constexpr int kFirstCellWord = offsetof(MeasurementRecord, cellVoltage) / 4;
    takeWord(0, kVoltageWord);
    takeWord(1, kCurrentWord);
    extents_[2].take(scan.capacityLow);
    extents_[2].take(scan.capacityHigh);
    takeWord(3, kTemperatureWord);
    for (int cell = 0; cell < 8; ++cell)
        takeWord(4 + cell, kFirstCellWord + cell);
}

bool LogSummary::read(const std::string& path, LogProgress* progress)
{
    // One pass: the replay reads the file and shows this summary every record.
    SilentRecordingHost host;
    words_.runMode = RunMode::Replay;
    SampleHistory history(chart_, words_, host);
    ReplayHooks hooks;
    hooks.progress = progress;
    hooks.eachBlock = [this](const MeasurementRecord* records, std::size_t count) { take(records, count); };
    replay_ = readLogFile(path, history, hooks);
    trailingBytes_ = replay_.trailingBytes;
    check_ = replay_.check;
    if (!replay_.error.empty()) {
        error_ = replay_.error;
        return false;
    }
    // Figures of a part, told as the whole file's, would be wrong without a word.
    if (replay_.shrank()) {
        error_ = std::string(kShrank) + ": " + std::to_string(replay_.records) + " of its "
                 + std::to_string(replay_.recordsAtStart) + " records are left";
        return false;
    }
    return true;
}
