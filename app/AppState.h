#pragma once

#include "acquisition/LiveRecord.h"
#include "acquisition/SharedWords.h"
#include "recording/ChartState.h"

#include <QString>

// The state of one program run, owned by the application object and handed by
// reference to the windows and the acquisition thread.
struct AppState {
    SharedWords words;
    LiveRecord liveRecord;
    ChartState chart;
    QString logSavePath; // the log file to record into (live mode)
    QString logOpenPath; // the log file to replay (replay mode)
};
