#include "RecordSettings.h"

#include "CommandLine.h"
#include "Printable.h"

#include "recorder/ChargeFiles.h"
#include "recorder/SessionEnd.h"

namespace {

constexpr const char* kAbout =
    "Records a charge from the charger's serial port into a .tvr log, without a\n"
    "window: one record per second from the charge's start frame to its end frame,\n"
    "stamped 1, 2, 3, ..., the same bytes as the monitor writes. By default it\n"
    "records one charge and ends when the charger ends it or the data stop, as the\n"
    "monitor does; the options below keep it going unattended. COMn (3..15) is the\n"
    "first that exists of $TRELVANE_PORTS_DIR/COMn, /dev/ttyUSB{n-3} and\n"
    "/dev/ttyACM{n-3}.";

constexpr const char* kEpilog =
    "A status line (elapsed time, V, A, mAh, temperature, cells, records written)\n"
    "follows every second: rewritten in place on a terminal, plain lines otherwise\n"
    "(journald). SIGINT or SIGTERM ends the recording cleanly.\n"
    "\n"
    "Exit status:\n"
    "  0  the charge ended with the charger's end frame\n"
    "  1  stopped by SIGINT or SIGTERM (every completed record is on disk)\n"
    "  2  bad command line, or the port, the log file or the folder cannot be used\n"
    "  3  the line was lost: the data stopped during the charge (without\n"
    "     --reconnect), the device vanished, --give-up ran out, or a new charge\n"
    "     began while the line was down (without --split)\n"
    "  4  records could not be written to the log (see the messages)\n"
    "\n"
    "Examples:\n"
    "  trelvane-record --port 3 --log charge.tvr\n"
    "  trelvane-record --device /dev/serial/by-id/usb-...-port0 --split ~/charges \\\n"
    "      --reconnect --join";

} // namespace

std::string RecordSettings::portLabel() const
{
    return portNumber > 0 ? "COM" + std::to_string(portNumber) : devicePath;
}

std::optional<RecordSettings> parseRecordSettings(int argc, const char* const* argv, int* exitCode)
{
    cli::CommandLine line(kRecordTool, "(--port N | --device PATH) (--log FILE | --split DIR)\n       [options]",
                          kAbout, kEpilog);
    line.option("port", 'p', "N", "the charger's port COMN, N from 3 to 15");
    line.option("device", 'd', "PATH", "the charger's serial device; /dev/serial/by-id/... keeps its name "
                                       "when the adapter is plugged in again");
    line.option("log", 'l', "FILE", "record one charge into FILE (an existing FILE with records is refused)");
    line.option("split", 's', "DIR", "record every charge into a new file in DIR, named by its start, "
                                     "2026-12-08_15-30-12.tvr; never overwrites");
    line.flag("overwrite", 0, "with --log: empty FILE even if it holds records");
    line.flag("join", 'j', "start at the first running frame when no start frame was seen "
                           "(a charge already under way)");
    line.flag("reconnect", 'r', "keep the charge open when the data stop or the device vanishes, and "
                                "go on when it is back; the missing seconds are a gap in the stamps");
    line.option("give-up", 0, "S", "with --reconnect: end the charge when the line stays lost S seconds "
                                   "(default: wait for ever)");
    line.option("status-every", 0, "S", "print the status line every S seconds (default 1)");
    line.option("library", 0, "FILE", "add every finished charge to this run library instead of the user's "
                                      "($XDG_DATA_HOME/trelvane/library.sqlite)");
    line.flag("no-library", 0, "do not add finished charges to the run library");
    if (!line.parse(argc, argv)) {
        *exitCode = line.exitCode();
        return std::nullopt;
    }

    RecordSettings settings;
    const auto port = line.integer("port", 3, 15, 0);
    const auto giveUp = line.integer("give-up", 1, 10'000'000, 0);
    const auto statusEvery = line.integer("status-every", 1, 86'400, 1);
    if (!port || !giveUp || !statusEvery) {
        *exitCode = cli::kExitUsage;
        return std::nullopt;
    }
    settings.portNumber = static_cast<int>(*port);
    settings.devicePath = line.value("device");
    settings.logPath = line.value("log");
    settings.splitDir = line.value("split");
    settings.overwrite = line.isSet("overwrite");
    settings.addToLibrary = !line.isSet("no-library");
    settings.libraryPath = line.value("library");
    settings.statusEverySeconds = static_cast<int>(*statusEvery);
    settings.session.join = line.isSet("join");
    settings.session.reconnect = line.isSet("reconnect");
    settings.session.split = line.isSet("split");
    settings.session.giveUpSeconds = static_cast<int>(*giveUp);

    const char* problem = nullptr;
    if (line.isSet("port") == line.isSet("device"))
        problem = "give the charger's port: --port N or --device PATH (one of them)";
    else if (line.isSet("device") && settings.devicePath.empty())
        problem = "--device needs a path";
    else if (line.isSet("log") == line.isSet("split"))
        problem = "say where to record: --log FILE or --split DIR (one of them)";
    else if ((line.isSet("log") && settings.logPath.empty()) || (line.isSet("split") && settings.splitDir.empty()))
        problem = "--log and --split need a name";
    else if (settings.overwrite && !line.isSet("log"))
        problem = "--overwrite goes with --log";
    else if (line.isSet("give-up") && !settings.session.reconnect)
        problem = "--give-up goes with --reconnect";
    else if (line.isSet("library") && line.isSet("no-library"))
        problem = "--library and --no-library exclude each other";
    if (problem != nullptr) {
        *exitCode = line.usageError(problem);
        return std::nullopt;
    }

    const std::string target = settings.session.split ? settings.splitDir : settings.logPath;
    const std::string reason = settings.session.split ? ChargeFiles::checkDirectory(settings.splitDir)
                                                      : ChargeFiles::prepareSingleFile(settings.logPath,
                                                                                       settings.overwrite);
    if (!reason.empty()) {
        cli::report(kRecordTool, cli::printable(target), reason);
        *exitCode = RecorderExit::kUsageOrPort;
        return std::nullopt;
    }
    return settings;
}
