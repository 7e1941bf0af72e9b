#include "DumpOptions.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace {

template <class Number>
bool parseNumber(std::string_view text, Number& out)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end;
}

} // namespace

std::optional<DumpOptions> DumpOptions::parse(int argc, const char* const* argv, std::string& error)
{
    DumpOptions options;
    bool haveInput = false;
    auto setInput = [&](Input input) {
        if (haveInput) {
            error = "give only one input (--port, --device, FILE or -)";
            return false;
        }
        haveInput = true;
        options.input = input;
        return true;
    };

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](std::string_view& out) {
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string_view text;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--hex") {
            options.hex = true;
        } else if (arg == "--port") {
            if (!value(text) || !setInput(Input::Port))
                return std::nullopt;
            if (!parseNumber(text, options.port) || options.port < 0) {
                error = "--port needs a port number, e.g. 3 for COM3";
                return std::nullopt;
            }
        } else if (arg == "--device") {
            if (!value(text) || !setInput(Input::Device))
                return std::nullopt;
            options.device = std::string(text);
        } else if (arg == "--frames") {
            if (!value(text))
                return std::nullopt;
            if (!parseNumber(text, options.maxFrames) || options.maxFrames < 1) {
                error = "--frames needs a whole number of at least 1";
                return std::nullopt;
            }
        } else if (arg == "--idle-exit") {
            if (!value(text))
                return std::nullopt;
            if (!parseNumber(text, options.idleExitSeconds) || !std::isfinite(options.idleExitSeconds)
                || options.idleExitSeconds <= 0) {
                error = "--idle-exit needs a number of seconds above 0";
                return std::nullopt;
            }
        } else if (arg == "-") {
            if (!setInput(Input::StandardInput))
                return std::nullopt;
        } else if (arg.size() > 1 && arg.front() == '-') {
            error = "unknown option " + std::string(arg);
            return std::nullopt;
        } else {
            if (!setInput(Input::File))
                return std::nullopt;
            options.file = std::string(arg);
        }
    }
    return options;
}

std::string DumpOptions::usage()
{
    return "Usage: trelvane-dump [--hex] [--frames N] [--idle-exit S] [--port N | --device PATH | FILE | -]\n"
           "\n"
           "Cuts a charger byte stream into frames and prints one CSV line per frame:\n"
           "length,variant,kind,auxValue,voltage,current,temperature,capacity,cell1..cell8,\n"
           "batteryType,chargeMode (and hex with --hex). kind is start, end, running, or\n"
           "unknown before the first 76- or 112-byte frame; end frames carry no fields.\n"
           "\n"
           "  --port N        read COMn (N = 3..15) through the device it names\n"
           "  --device PATH   read a serial device directly\n"
           "  FILE | -        read a file, or standard input (the default), to its end\n"
           "  --hex           add the raw frame bytes as hex\n"
           "  --frames N      stop after N frames\n"
           "  --idle-exit S   stop after S seconds without a frame (port and device)\n"
           "  --help          show this text\n"
           "\n"
           "A port or device is read until SIGINT or SIGTERM unless --frames or --idle-exit\n"
           "ends it sooner. Exit status 2 when the input cannot be opened or read.\n";
}
