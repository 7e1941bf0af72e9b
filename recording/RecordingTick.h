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
    // A second of the run in which the line was down: it is counted, so the
    // next record's stamp shows the gap, but nothing is logged, stored or
    // repainted.
    void skipSecond();

    // The file the records go to now: the log, or the file they moved to when
    // the log's path stopped naming it.
    const std::string& logPath() const { return log_.path(); }

private:
    // Steps 1 and 6 of every second: the counter, then the time span.
    int advanceCounter();
    void advanceTimeSpan(int seconds);
    // Appends the snapshot; tells the host once when logging starts failing and
    // once when it recovers, and whenever the records move to a new file.
    void logSnapshot(const MeasurementRecord& record, RecordingHost& host);

    SampleHistory& history_;
    LiveRecord& liveRecord_;
    LogAppender log_;
    bool failing_ = false;
};
