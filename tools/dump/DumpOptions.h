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
    bool help = false;

    bool isLive() const { return input == Input::Port || input == Input::Device; }

    // The options, or nothing with `error` saying what is wrong.
    static std::optional<DumpOptions> parse(int argc, const char* const* argv, std::string& error);
    static std::string usage();
};
