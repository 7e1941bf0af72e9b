#include "recording/LogReplay.h"

#include "recording/LogReader.h"

#include <algorithm>
#include <bit>
#include <limits>

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

} // namespace

ReplayReport readLogFile(const std::string& path, SampleHistory& history)
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

    // First pass: every record counts towards the axis ranges.
    std::int64_t n = 0;
    for (std::size_t count; (count = reader.next()) > 0;) {
        for (std::size_t i = 0; i < count; ++i) {
            report.check.take(reader.at(i));
            if (++n == 1)
                history.initRanges(reader.at(i));
            else
                history.widenRanges(reader.at(i));
        }
    }
    report.records = n;
    report.trailingBytes = reader.trailingBytes();
    report.check.finish(report.trailingBytes);
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
    const auto step = static_cast<std::uint32_t>(std::max(1, state.thinningStep));
    // The step is a power of two, so a mask tells multiples without a division per record.
    const bool powerOfTwo = std::has_single_bit(step);
    const auto selected = [&](const MeasurementRecord& record) {
        const auto stamp = static_cast<std::uint32_t>(record.elapsedSeconds);
        return powerOfTwo ? (stamp & (step - 1)) == 0 : stamp % step == 0;
    };
    std::int64_t seen = 0;
    for (std::size_t count; seen < n && (count = reader.next()) > 0;) {
        count = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), n - seen));
        for (std::size_t i = 0; i < count; ++i) {
            if (selected(reader.at(i)) && !history.append(reader.at(i)))
                ++report.ignoredSelections;
        }
        seen += static_cast<std::int64_t>(count);
        state.snapshotRecord = reader.at(count - 1);
    }
    report.error = reader.error();
    return report;
}
