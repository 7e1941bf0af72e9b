#pragma once

#include "ChargeModel.h"

#include <cstdint>
#include <optional>
#include <string>

enum class ScenarioKind { ChargeV1, ChargeV2, Discharge, Idle, Unplug, MidCharge, Noise, Overlong, NulBytes };

enum class OutputKind { Pty, Device, File };

// The command line of the simulator.
struct SimOptions {
    ScenarioKind scenario = ScenarioKind::ChargeV1;
    int variant = 1; // frame variant for the scenarios that do not fix it
    int cells = 4;
    Battery battery = Battery::LiPo;
    double seconds = 60.0;
    int periodMs = 250;
    std::uint32_t seed = 1;
    bool repeat = false;
    bool pace = true;

    OutputKind output = OutputKind::Pty;
    std::string outputPath; // device or file; "-" is standard output
    std::string registerDir;
    int port = 0;
    double waitForReaderSeconds = 0.0; // 0: do not wait
    std::string logPath;
};

// The options; or nothing, and the simulator ends with `exitCode` (0 after
// --help or --version, 2 after a usage error, already reported).
std::optional<SimOptions> parseSimOptions(int argc, const char* const* argv, int& exitCode);

constexpr const char* kSimTool = "trelvane-charger-sim";
