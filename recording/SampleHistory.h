#pragma once

#include "acquisition/MeasurementRecord.h"
#include "acquisition/SharedWords.h"
#include "recording/ChartState.h"
#include "recording/RecordingHost.h"

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
