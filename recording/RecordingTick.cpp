#include "recording/RecordingTick.h"

#include <limits>

namespace {

constexpr int kIntMax = std::numeric_limits<int>::max();

constexpr RecordingHost::View kRepaintOrder[] = {
    RecordingHost::View::CapacityPanel, RecordingHost::View::CurrentPanel,
    RecordingHost::View::TemperaturePanel, RecordingHost::View::VoltagePanel,
    RecordingHost::View::DetailPanel, RecordingHost::View::OverviewPanel,
};

} // namespace

RecordingTick::RecordingTick(SampleHistory& history, LiveRecord& liveRecord, std::string logSavePath)
    : history_(history), liveRecord_(liveRecord), log_(std::move(logSavePath))
{
}

void RecordingTick::tick()
{
    ChartState& state = history_.state();
    RecordingHost& host = history_.host();

    const int seconds = advanceCounter();

    state.snapshotRecord = liveRecord_.copy();
    state.snapshotRecord.elapsedSeconds = seconds;

    logSnapshot(state.snapshotRecord, host);

    const auto step = static_cast<unsigned>(state.thinningStep);
    if (step != 0 && static_cast<unsigned>(seconds) % step == 0 && history_.append(state.snapshotRecord)) {
        if (state.historyCount == 1)
            history_.initRanges(state.history[0]);
        else
            history_.widenRanges(state.snapshotRecord);
    }

    advanceTimeSpan(seconds);

    for (RecordingHost::View view : kRepaintOrder)
        host.invalidate(view);
}

void RecordingTick::skipSecond()
{
    advanceTimeSpan(advanceCounter());
}

int RecordingTick::advanceCounter()
{
    SharedWords& words = history_.words();
    // A run of 68 years would overflow the counter; it stops at the largest stamp instead.
    const int previous = words.secondsCounter.load();
    const int seconds = previous < kIntMax ? previous + 1 : kIntMax;
    words.secondsCounter = seconds;
    return seconds;
}

void RecordingTick::advanceTimeSpan(int seconds)
{
    ChartState& state = history_.state();
    if (seconds == state.timeSpan && state.timeSpan <= kIntMax / 2) {
        state.timeSpan *= 2;
        if (seconds < kHistoryCapacity) {
            state.xScale = state.plotRect.width() / state.timeSpan;
        } else {
            state.thinningStep *= 2;
            history_.halve();
        }
    }
}

void RecordingTick::logSnapshot(const MeasurementRecord& record, RecordingHost& host)
{
    const std::string reason = log_.append(record);
    if (log_.change())
        host.logFileReplaced(*log_.change());
    if (!reason.empty()) {
        if (!failing_)
            host.logWriteFailed(log_.path(), reason);
        failing_ = true;
    } else if (failing_) {
        failing_ = false;
        host.logWriteRecovered(log_.path());
    }
}
