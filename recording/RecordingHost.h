#pragma once

#include "recording/LogFile.h"

#include <string>

// What the recording tick and replay ask of the windows. The main window
// implements it; tests record the calls.
class RecordingHost {
public:
    enum class View { CapacityPanel, CurrentPanel, TemperaturePanel, VoltagePanel, DetailPanel, OverviewPanel };

    virtual ~RecordingHost() = default;
    // First sample, live mode only: show the first `count` cell indicators.
    virtual void showCellIndicators(int count) = 0;
    // First sample: one data-exchange pass of the overview towards its controls.
    virtual void transferOverviewData() = 0;
    // Invalidate a whole view with background erase.
    virtual void invalidate(View view) = 0;
    // The log file could not be opened or written on a tick. Called once per
    // failure streak; must not block.
    virtual void logWriteFailed(const std::string& path, const std::string& reason) = 0;
    // Logging works again after a failure streak.
    virtual void logWriteRecovered(const std::string& path) = 0;
    // The log's path named another file or none on a tick, and the records
    // went on into a new file (LogAppender). Called once per change, before
    // any failure of the same tick is reported; must not block.
    virtual void logFileReplaced(const LogFileChange& change) = 0;
};
