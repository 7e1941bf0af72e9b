#pragma once

#include "recorder/RecorderSession.h"

#include <optional>
#include <string>

constexpr const char* kRecordTool = "trelvane-record";

// What trelvane-record was asked to do.
struct RecordSettings {
    int portNumber = 0;      // COMn; 0 when a device path is given
    std::string devicePath;  // when no port number is given
    std::string logPath;     // one charge into this file, or
    std::string splitDir;    // every charge into a new file here
    bool overwrite = false;
    bool addToLibrary = true; // every finished charge goes into the run library
    std::string libraryPath;  // "" for the user's library
    int statusEverySeconds = 1;
    RecorderSession::Options session;

    // "COM7" or the device path, for messages.
    std::string portLabel() const;
};

// Reads the command line and checks the log file or folder. Nothing when the
// tool should end at once, with *exitCode set (after --help, or a problem
// already reported on standard error).
std::optional<RecordSettings> parseRecordSettings(int argc, const char* const* argv, int* exitCode);
