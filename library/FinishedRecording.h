#pragma once

#include <string>

// The one call that puts a run just recorded into the library, for every
// program that records (the monitor, the headless recorder). It never
// touches the log; a failure only means the run is not in the library yet.
struct AddedRecording {
    enum class Result {
        Added,    // in the library now (or already was)
        Nothing,  // the log holds no records: nothing was recorded
        Failed,   // see `notice`
    };
    Result result = Result::Failed;
    std::string notice; // for people, when it failed: what, why, and how to add it later
};

// Reads the finished log at `logPath` and adds it to the library at
// `libraryPath` (the user's library when empty). Safe to call from any thread
// and beside other programs using the library; waits up to `busyTimeoutMs`
// while another program writes it.
AddedRecording addFinishedRecording(const std::string& logPath, const std::string& libraryPath = {},
                                    int busyTimeoutMs = 10000);
