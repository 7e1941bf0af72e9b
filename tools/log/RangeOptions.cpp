#include "RangeOptions.h"

#include "LogCommands.h"
#include "analysis/TimeAxis.h"

#include <cstdio>
#include <limits>

#include <unistd.h>

namespace rangeoptions {

namespace {

constexpr std::int64_t kProgressFrom = 2000000; // records: about a second of reading

} // namespace

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
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    bool shown = false;
    const bool loaded = run.load([&](std::int64_t done, std::int64_t total) {
        if (!terminal || total < kProgressFrom)
            return;
        std::fprintf(stderr, "\r%s: reading %s: %3lld%%", kLogTool, run.path().c_str(),
                     static_cast<long long>(total > 0 ? done * 100 / total : 100));
        shown = true;
    });
    if (shown)
        std::fputc('\n', stderr);
    if (!loaded)
        cli::report(kLogTool, run.path(), run.error());
    return loaded;
}

} // namespace rangeoptions
