#pragma once

#include "recording/RecordingHost.h"

// For replay outside the program (tools, benchmarks): there are no windows to tell.
class SilentRecordingHost : public RecordingHost {
public:
    void showCellIndicators(int) override {}
    void transferOverviewData() override {}
    void invalidate(View) override {}
    void logWriteFailed(const std::string&, const std::string&) override {}
    void logWriteRecovered(const std::string&) override {}
    void logFileReplaced(const LogFileChange&) override {}
};
