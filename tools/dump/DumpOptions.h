#pragma once

#include <optional>
#include <string>

// What trelvane-dump was asked to do, from its command line.
class DumpOptions {
public:
    enum class Input { StandardInput, File, Port, Device };

    Input input = Input::StandardInput;
    std::string file;          // Input::File
    int port = 0;              // Input::Port, COMn number
    std::string device;        // Input::Device
    bool hex = false;
    long long maxFrames = 0;   // 0: no limit
    double idleExitSeconds = 0; // 0: never

    bool isLive() const { return input == Input::Port || input == Input::Device; }

    // The options; or nothing, and the tool ends with `exitCode` (0 after --help
    // or --version, 2 after a usage error, already reported).
    static std::optional<DumpOptions> parse(int argc, const char* const* argv, int& exitCode);
};

constexpr const char* kDumpTool = "trelvane-dump";
