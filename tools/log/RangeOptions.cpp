#include "RangeOptions.h"

#include "LogCommands.h"
#include "TerminalProgress.h"
#include "analysis/TimeAxis.h"

#include <limits>

namespace rangeoptions {

void declare(cli::CommandLine& line)
{
    line.option("from", 0, "H:MM:SS", "start of the range, in time of the run (default: its first record)");
    line.option("to", 0, "H:MM:SS", "end of the range (default: the last record)");
}

std::optional<Range> parse(const cli::CommandLine& line)
{
    Range range{-std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    for (const char* name : {"from", "to"}) {
        if (!line.isSet(name))
            continue;
        const std::optional<double> t = parseClock(line.value(name));
        if (!t) {
            cli::report(line.tool(), std::string("--") + name + ": \"" + line.value(name)
                                         + "\" is not a time as H:MM:SS, M:SS or seconds");
            return std::nullopt;
        }
        (std::string(name) == "from" ? range.from : range.to) = *t;
    }
    if (range.from > range.to) {
        cli::report(line.tool(), "--from " + line.value("from") + " is after --to " + line.value("to"));
        return std::nullopt;
    }
    return range;
}

bool load(AnalysisRun& run)
{
    TerminalProgress progress(kLogTool, run.path());
    const bool loaded = run.load([&](std::int64_t done, std::int64_t total) { progress.advance(done, total); });
    progress.finish();
    if (!loaded)
        cli::report(kLogTool, run.path(), run.error());
    return loaded;
}

} // namespace rangeoptions
