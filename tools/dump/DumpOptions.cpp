#include "DumpOptions.h"

#include "CommandLine.h"

#include <limits>
#include <string>

namespace {

// COMn numbers the simulator can register under TRELVANE_PORTS_DIR; the
// charger's own ports are 3..15.
constexpr int kFirstPort = 1;
constexpr int kLastPort = 255;

cli::CommandLine commandLine()
{
    cli::CommandLine line(
        kDumpTool, "[options] [--port N | --device PATH | FILE | -]",
        "Cuts a charger byte stream into frames and prints one CSV line per frame:\n"
        "length,variant,kind,auxValue,voltage,current,temperature,capacity,cell1..cell8,\n"
        "batteryType,chargeMode (and hex with --hex). kind is start, end, running, or\n"
        "unknown before the first 76- or 112-byte frame; end frames carry no fields.\n"
        "A port or device is read until SIGINT or SIGTERM unless --frames or --idle-exit\n"
        "ends it sooner; a file or standard input (the default) is read to its end.\n"
        "The charger on /dev/ttyUSB0 is COM3; its stable name is under /dev/serial/by-id.",
        "Exit status:\n"
        "  0  the stream was read to its end, to the frame limit, the idle time or a signal\n"
        "  1  the input could not be opened or read, or the output not written\n"
        "  2  the command line is wrong\n"
        "\n"
        "Examples:\n"
        "  $ trelvane-dump --port 3\n"
        "  $ trelvane-dump --device /dev/serial/by-id/usb-... --hex\n"
        "  $ trelvane-dump captured.bin > frames.csv");
    line.option("port", 0, "N",
                "read COMN (N = " + std::to_string(kFirstPort) + ".." + std::to_string(kLastPort)
                    + "; the charger's own are 3..15) through the device it names");
    line.option("device", 0, "PATH", "read a serial device directly");
    line.flag("hex", 0, "add the raw frame bytes as hex");
    line.option("frames", 0, "N", "stop after N frames");
    line.option("idle-exit", 0, "S", "stop after S seconds without a frame (port and device)");
    line.positionals("FILE", 0, 1);
    return line;
}

} // namespace

std::optional<DumpOptions> DumpOptions::parse(int argc, const char* const* argv, int& exitCode)
{
    cli::CommandLine line = commandLine();
    if (!line.parse(argc, argv)) {
        exitCode = line.exitCode();
        return std::nullopt;
    }
    exitCode = cli::kExitUsage;

    DumpOptions options;
    const int inputs = int(line.isSet("port")) + int(line.isSet("device")) + int(!line.arguments().empty());
    if (inputs > 1) {
        exitCode = line.usageError("give only one input (--port, --device, FILE or -)");
        return std::nullopt;
    }
    if (line.isSet("port")) {
        const auto port = line.integer("port", kFirstPort, kLastPort, 0);
        if (!port)
            return std::nullopt;
        options.input = Input::Port;
        options.port = static_cast<int>(*port);
    } else if (line.isSet("device")) {
        options.input = Input::Device;
        options.device = line.value("device");
    } else if (!line.arguments().empty() && line.arguments().front() != "-") {
        options.input = Input::File;
        options.file = line.arguments().front();
    }

    options.hex = line.isSet("hex");
    const auto frames = line.integer("frames", 1, std::numeric_limits<long long>::max(), 0);
    if (!frames)
        return std::nullopt;
    options.maxFrames = *frames;
    // Any length is taken: main caps it where the clock would overflow.
    const auto idle = line.number("idle-exit", 0.0, std::numeric_limits<double>::max(), 0.0);
    if (!idle)
        return std::nullopt;
    if (line.isSet("idle-exit") && *idle <= 0.0) {
        cli::report(kDumpTool, "--idle-exit", "needs a number of seconds above 0, not '" + line.value("idle-exit") + "'");
        return std::nullopt;
    }
    options.idleExitSeconds = *idle;

    exitCode = cli::kExitOk;
    return options;
}
