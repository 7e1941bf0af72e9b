#include "SimOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
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

bool toLong(const std::string& text, long min, long max, long* value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max)
        return false;
    *value = v;
    return true;
}

bool toSeconds(const std::string& text, double max, double* value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v) || v < 0.0 || v > max)
        return false;
    *value = v;
    return true;
}

ParseResult failure(const std::string& message)
{
    return {std::nullopt, 2, "trelvane-charger-sim: " + message + "\n(see --help)\n"};
}

} // namespace

std::string simUsage()
{
    return R"(Usage: trelvane-charger-sim [options]
Plays a charger's frame stream at 9600 baud for demos and tests.

Output (default: a new pseudo-terminal; its device path is the first line on stdout):
  --register DIR --port N   also make DIR/COMN a symlink to the pseudo-terminal
                            (for TRELVANE_PORTS_DIR); removed on exit
  --wait-for-reader S       wait up to S seconds until a program opens the
                            pseudo-terminal before playing (exit 3 if none does)
  --device PATH             write to an existing serial device instead
  --output FILE|-           write to a file or standard output instead
  --no-pace                 write as fast as possible (default: real line rate)

Scenario:
  --scenario NAME   charge-v1 (default), charge-v2, discharge, idle, unplug,
                    mid-charge, noise, overlong, nul-bytes
  --variant 1|2     frame variant for scenarios other than charge-v1/charge-v2
  --cells N         cells in the pack, 1..8 (1..6 with 112-byte frames); default 4
  --battery TYPE    lipo (default), nimh, nicd, pb
  --seconds S       length of the charge; default 60
  --period-ms MS    time between frames; default 250
  --seed N          random seed; the same seed plays the same bytes; default 1
  --repeat, --loop  after the scenario keep sending idle frames until stopped

  --log FILE        one CSV line per frame sent: its fields as a reader decodes
                    them and its bytes in hex
  --help            this text

Stops cleanly on SIGINT or SIGTERM.
)";
}

ParseResult parseSimOptions(int argc, char** argv)
{
    SimOptions o;
    bool variantGiven = false;
    bool cellsGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= argc)
                return false;
            *out = argv[++i];
            return true;
        };
        std::string v;
        long number = 0;
        if (arg == "--help" || arg == "-h") {
            return {std::nullopt, 0, simUsage()};
        } else if (arg == "--no-pace") {
            o.pace = false;
        } else if (arg == "--repeat" || arg == "--loop") {
            o.repeat = true;
        } else if (arg == "--scenario") {
            if (!value(&v) || !kScenarios.count(v))
                return failure("unknown scenario '" + v + "'");
            o.scenario = kScenarios.at(v);
        } else if (arg == "--variant") {
            if (!value(&v) || !toLong(v, 1, 2, &number))
                return failure("--variant takes 1 or 2");
            o.variant = int(number);
            variantGiven = true;
        } else if (arg == "--cells") {
            if (!value(&v) || !toLong(v, 1, 8, &number))
                return failure("--cells takes 1..8");
            o.cells = int(number);
            cellsGiven = true;
        } else if (arg == "--battery") {
            if (!value(&v) || !kBatteries.count(v))
                return failure("--battery takes lipo, nimh, nicd or pb");
            o.battery = kBatteries.at(v);
        } else if (arg == "--seconds") {
            if (!value(&v) || !toSeconds(v, 24 * 3600.0, &o.seconds))
                return failure("--seconds takes 0..86400");
        } else if (arg == "--period-ms") {
            if (!value(&v) || !toLong(v, 1, 60000, &number))
                return failure("--period-ms takes 1..60000");
            o.periodMs = int(number);
        } else if (arg == "--seed") {
            if (!value(&v) || !toLong(v, 0, 0xFFFFFFFFL, &number))
                return failure("--seed takes a number 0..4294967295");
            o.seed = std::uint32_t(number);
        } else if (arg == "--register") {
            if (!value(&o.registerDir) || o.registerDir.empty())
                return failure("--register takes a directory");
        } else if (arg == "--port") {
            if (!value(&v) || !toLong(v, 1, 255, &number))
                return failure("--port takes 1..255");
            o.port = int(number);
        } else if (arg == "--wait-for-reader") {
            if (!value(&v) || !toSeconds(v, 24 * 3600.0, &o.waitForReaderSeconds))
                return failure("--wait-for-reader takes seconds");
        } else if (arg == "--device") {
            if (!value(&o.outputPath) || o.outputPath.empty())
                return failure("--device takes a path");
            o.output = OutputKind::Device;
        } else if (arg == "--output") {
            if (!value(&o.outputPath) || o.outputPath.empty())
                return failure("--output takes a file or -");
            o.output = OutputKind::File;
        } else if (arg == "--log") {
            if (!value(&o.logPath) || o.logPath.empty())
                return failure("--log takes a file");
        } else {
            return failure("unknown option '" + arg + "'");
        }
    }

    if (o.scenario == ScenarioKind::ChargeV1 || o.scenario == ScenarioKind::ChargeV2) {
        const int fixed = o.scenario == ScenarioKind::ChargeV2 ? 2 : 1;
        if (variantGiven && o.variant != fixed)
            return failure("--variant contradicts the scenario");
        o.variant = fixed;
    }
    if (o.variant == 2 && o.cells > 6) {
        if (cellsGiven)
            return failure("112-byte frames carry at most 6 cells");
        o.cells = 6;
    }
    if (!o.registerDir.empty() && o.port == 0)
        return failure("--register needs --port N");
    if (!o.registerDir.empty() && o.output != OutputKind::Pty)
        return failure("--register only applies to a pseudo-terminal");
    if (o.waitForReaderSeconds > 0.0 && o.output != OutputKind::Pty)
        return failure("--wait-for-reader only applies to a pseudo-terminal");
    return {o, 0, {}};
}
