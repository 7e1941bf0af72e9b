#pragma once

#include "recording/RecordingHost.h"

#include <string>
#include <vector>

// Records every call the recording engine makes of its windows, in order.
class FakeRecordingHost : public RecordingHost {
public:
    std::vector<std::string> calls;
    std::vector<View> invalidated;
    std::vector<int> cellIndicators;
    std::vector<std::string> failureReasons;
    int failures = 0;
    int recoveries = 0;
    std::vector<LogFileChange> changes;

    void showCellIndicators(int count) override
    {
        cellIndicators.push_back(count);
        calls.push_back("showCellIndicators(" + std::to_string(count) + ")");
    }
    void transferOverviewData() override { calls.push_back("transferOverviewData"); }
    void invalidate(View view) override
    {
        invalidated.push_back(view);
        calls.push_back("invalidate");
    }
    void logWriteFailed(const std::string& path, const std::string& reason) override
    {
        ++failures;
        failureReasons.push_back(reason);
        calls.push_back("logWriteFailed(" + path + ")");
    }
    void logWriteRecovered(const std::string& path) override
    {
        ++recoveries;
        calls.push_back("logWriteRecovered(" + path + ")");
    }
    void logFileReplaced(const LogFileChange& change) override
    {
        changes.push_back(change);
        calls.push_back("logFileReplaced(" + change.newPath + ")");
    }
};
