#pragma once

#include "acquisition/LiveRecord.h"
#include "recording/LogFile.h"
#include "recording/SampleHistory.h"

#include <string>

// The once-a-second work of a recorded charge, run on the user-interface
// thread: snapshot, stamp, log, history, ranges, repaint.
class RecordingTick {
public:
    RecordingTick(SampleHistory& history, LiveRecord& liveRecord, std::string logSavePath);

    void tick();

private:
    // Appends the snapshot; tells the host once when logging starts failing and
    // once when it recovers, and whenever the records move to a new file.
    void logSnapshot(const MeasurementRecord& record, RecordingHost& host);

    SampleHistory& history_;
    LiveRecord& liveRecord_;
    LogAppender log_;
    bool failing_ = false;
};
