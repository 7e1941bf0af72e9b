#include "SimOptions.h"

#include "CommandLine.h"

#include <map>

namespace {

const std::map<std::string, ScenarioKind> kScenarios{
    {"charge-v1", ScenarioKind::ChargeV1}, {"charge-v2", ScenarioKind::ChargeV2},
    {"discharge", ScenarioKind::Discharge}, {"idle", ScenarioKind::Idle},
    {"unplug", ScenarioKind::Unplug},       {"mid-charge", ScenarioKind::MidCharge},
    {"noise", ScenarioKind::Noise},
    {"overlong", ScenarioKind::Overlong},   {"nul-bytes", ScenarioKind::NulBytes},
};

const std::map<std::string, Battery> kBatteries{
    {"lipo", Battery::LiPo}, {"nimh", Battery::NiMH}, {"nicd", Battery::NiCd}, {"pb", Battery::Pb}};

constexpr double kLongestSeconds = 24 * 3600.0;

cli::CommandLine commandLine()
{
    cli::CommandLine line(
        kSimTool, "[options]",
        "Plays a charger's frame stream at 9600 baud for demos and tests.\n"
        "By default it writes to a new pseudo-terminal, whose device path is the first\n"
        "line on standard output. Stops cleanly on SIGINT or SIGTERM.",
        "Scenarios:\n"
        "  charge-v1 (default), charge-v2    a charge in 76- or 112-byte frames\n"
        "  discharge, idle, unplug           not charging, no charge, a cable pulled\n"
        "  mid-charge                        the rest of what unplug begins, without a\n"
        "                                    start frame (joining a charge under way)\n"
        "  noise, overlong, nul-bytes        damaged streams\n"
        "\n"
        "Exit status:\n"
        "  0  the scenario was played, or a signal stopped it\n"
        "  1  the output or the log could not be opened or written\n"
        "  2  the command line is wrong\n"
        "  3  no program opened the pseudo-terminal within --wait-for-reader\n"
        "\n"
        "Examples:\n"
        "  $ trelvane-charger-sim --register /tmp/ports --port 7 --seconds 600 &\n"
        "  $ TRELVANE_PORTS_DIR=/tmp/ports trelvane --port 7");
    line.option("register", 0, "DIR", "with --port N, also make DIR/COMN a symlink to the\n"
                                       "pseudo-terminal (for TRELVANE_PORTS_DIR); removed on exit");
    line.option("port", 0, "N", "the COM number to register, 1..255");
    line.option("wait-for-reader", 0, "S", "wait up to S seconds until a program opens the\n"
                                           "pseudo-terminal before playing (exit 3 if none does)");
    line.option("device", 0, "PATH", "write to an existing serial device instead");
    line.option("output", 0, "FILE", "write to a file, or standard output for -, instead");
    line.flag("no-pace", 0, "write as fast as possible (default: the real line rate)");
    line.option("scenario", 0, "NAME", "what the charger does (see Scenarios)");
    line.option("variant", 0, "1|2", "frame variant for scenarios other than charge-v1/-v2");
    line.option("cells", 0, "N", "cells in the pack, 1..8 (1..6 with 112-byte frames); default 4");
    line.option("battery", 0, "TYPE", "lipo (default), nimh, nicd, pb");
    line.option("seconds", 0, "S", "length of the charge, 0..86400; default 60");
    line.option("period-ms", 0, "MS", "time between frames, 1..60000; default 250");
    line.option("seed", 0, "N", "random seed; the same seed plays the same bytes; default 1");
    line.flag("repeat", 0, "after the scenario keep sending idle frames until stopped");
    line.flag("loop", 0, "the same as --repeat");
    line.option("log", 0, "FILE", "one CSV line per frame sent: its fields as a reader\n"
                                  "decodes them and its bytes in hex");
    return line;
}

// A named choice; reports the names that are known when `text` is not one of them.
template <class Value>
bool choose(const cli::CommandLine& line, const std::string& option, const std::map<std::string, Value>& names,
            Value& out)
{
    if (!line.isSet(option))
        return true;
    const std::string text = line.value(option);
    const auto it = names.find(text);
    if (it != names.end()) {
        out = it->second;
        return true;
    }
    std::string known;
    for (const auto& [name, value] : names)
        known += (known.empty() ? "" : ", ") + name;
    cli::report(kSimTool, "--" + option, "unknown " + option + " '" + text + "' (" + known + ")");
    return false;
}

// A path that must not be empty.
bool path(const cli::CommandLine& line, const std::string& option, std::string& out)
{
    if (!line.isSet(option))
        return true;
    out = line.value(option);
    if (!out.empty())
        return true;
    cli::report(kSimTool, "--" + option, "needs a path, not an empty one");
    return false;
}

} // namespace

std::optional<SimOptions> parseSimOptions(int argc, const char* const* argv, int& exitCode)
{
    cli::CommandLine line = commandLine();
    if (!line.parse(argc, argv)) {
        exitCode = line.exitCode();
        return std::nullopt;
    }
    exitCode = cli::kExitUsage;
    auto refuse = [&](const std::string& message) {
        exitCode = line.usageError(message);
        return std::nullopt;
    };

    SimOptions o;
    const auto variant = line.integer("variant", 1, 2, o.variant);
    const auto cells = line.integer("cells", 1, 8, o.cells);
    const auto seconds = line.number("seconds", 0.0, kLongestSeconds, o.seconds);
    const auto period = line.integer("period-ms", 1, 60000, o.periodMs);
    const auto seed = line.integer("seed", 0, 0xFFFFFFFFLL, o.seed);
    const auto port = line.integer("port", 1, 255, o.port);
    const auto wait = line.number("wait-for-reader", 0.0, kLongestSeconds, o.waitForReaderSeconds);
    if (!variant || !cells || !seconds || !period || !seed || !port || !wait)
        return std::nullopt;
    o.variant = int(*variant);
    o.cells = int(*cells);
    o.seconds = *seconds;
    o.periodMs = int(*period);
    o.seed = std::uint32_t(*seed);
    o.port = int(*port);
    o.waitForReaderSeconds = *wait;
    o.pace = !line.isSet("no-pace");
    o.repeat = line.isSet("repeat") || line.isSet("loop");
    if (!choose(line, "scenario", kScenarios, o.scenario) || !choose(line, "battery", kBatteries, o.battery))
        return std::nullopt;
    if (!path(line, "register", o.registerDir) || !path(line, "log", o.logPath))
        return std::nullopt;

    if (line.isSet("device") && line.isSet("output"))
        return refuse("give only one of --device and --output");
    if (line.isSet("device")) {
        o.output = OutputKind::Device;
        if (!path(line, "device", o.outputPath))
            return std::nullopt;
    } else if (line.isSet("output")) {
        o.output = OutputKind::File;
        if (!path(line, "output", o.outputPath))
            return std::nullopt;
    }

    if (o.scenario == ScenarioKind::ChargeV1 || o.scenario == ScenarioKind::ChargeV2) {
        const int fixed = o.scenario == ScenarioKind::ChargeV2 ? 2 : 1;
        if (line.isSet("variant") && o.variant != fixed)
            return refuse("--variant contradicts the scenario");
        o.variant = fixed;
    }
    if (o.variant == 2 && o.cells > 6) {
        if (line.isSet("cells"))
            return refuse("112-byte frames carry at most 6 cells");
        o.cells = 6;
    }
    if (!o.registerDir.empty() && o.port == 0)
        return refuse("--register needs --port N");
    if (!o.registerDir.empty() && o.output != OutputKind::Pty)
        return refuse("--register only applies to a pseudo-terminal");
    if (o.waitForReaderSeconds > 0.0 && o.output != OutputKind::Pty)
        return refuse("--wait-for-reader only applies to a pseudo-terminal");

    exitCode = cli::kExitOk;
    return o;
}
