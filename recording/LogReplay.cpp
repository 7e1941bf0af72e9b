#include "recording/LogReplay.h"

#include "recording/LogReader.h"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace {

std::uint32_t stampOf(const std::uint8_t* record)
{
    const std::uint8_t* p = record + offsetof(MeasurementRecord, elapsedSeconds);
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8)
        | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

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

} // namespace

ReplayReport readLogFile(const std::string& path, SampleHistory& history)
{
    ReplayReport report;
    LogReader reader(path);
    if (!reader.isOpen()) {
        report.error = reader.error();
        return report;
    }
    report.opened = true;

    ChartState& state = history.state();
    state.historyCount = 0;

    // First pass: every record counts towards the axis ranges.
    std::int64_t n = 0;
    for (std::size_t count; (count = reader.next()) > 0;) {
        for (std::size_t i = 0; i < count; ++i) {
            const MeasurementRecord record = fromBytes(reader.record(i));
            if (++n == 1)
                history.initRanges(record);
            else
                history.widenRanges(record);
        }
    }
    report.records = n;
    report.trailingBytes = reader.trailingBytes();
    if (!reader.error().empty()) {
        report.error = reader.error();
        return report;
    }

    fitSpan(state, n);

    // Second pass: the records whose stamps are multiples of the step, over the
    // same n records even if the file has grown meanwhile.
    if (n == 0 || !reader.rewind()) {
        report.error = reader.error();
        return report;
    }
    const auto step = static_cast<std::uint32_t>(state.thinningStep);
    std::int64_t seen = 0;
    for (std::size_t count; seen < n && (count = reader.next()) > 0;) {
        count = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), n - seen));
        for (std::size_t i = 0; i < count; ++i) {
            if (stampOf(reader.record(i)) % step == 0 && !history.append(fromBytes(reader.record(i))))
                ++report.ignoredSelections;
        }
        seen += static_cast<std::int64_t>(count);
        state.snapshotRecord = fromBytes(reader.record(count - 1));
    }
    report.error = reader.error();
    return report;
}
