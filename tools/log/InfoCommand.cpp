// trelvane-log info: what a log file holds and what a replay of it shows.
#include "LogCommands.h"

#include "CommandLine.h"
#include "Printable.h"
#include "recording/LogCsv.h"
#include "recording/LogSummary.h"
#include "TerminalProgress.h"

#include <cstdio>
#include <string>

int runInfo(int argc, const char* const* argv)
{
    cli::CommandLine line(std::string(kLogTool) + " info", "FILE",
                          "Prints the records of a log file, their stamps and the first gap in them, a\n"
                          "trailing fragment, the extent of every measured value, and the chart state\n"
                          "(span, step, x-scale, history, axis ranges) that replaying it shows.",
                          "Exit status:\n"
                          "  0  done\n"
                          "  1  FILE cannot be read, or got shorter while it was read\n"
                          "  2  the command line is wrong");
    line.positionals("FILE", 1, 1);
    if (!line.parse(argc, argv, 2))
        return line.exitCode();
    const std::string& file = line.arguments().front();

    LogSummary summary;
    TerminalProgress progress(kLogTool, file);
    const bool read = summary.read(file, &progress);
    progress.finish();
    if (!read) {
        cli::report(kLogTool, file, summary.error());
        return cli::kExitFailure;
    }

    std::printf("file: %s\n", cli::printable(file).c_str());
    std::printf("records: %lld\n", static_cast<long long>(summary.records()));
    if (summary.records() > 0) {
        std::printf("stamps: %d to %d\n", summary.firstStamp(), summary.lastStamp());
        std::printf("duration: %s\n", LogCsv::clock(summary.lastStamp()).c_str());
    }
    if (summary.firstGapPosition() == 0)
        std::printf("first gap: none\n");
    else
        std::printf("first gap: record %lld holds stamp %d\n",
                    static_cast<long long>(summary.firstGapPosition()), summary.firstGapStamp());
    std::printf("trailing fragment: %d bytes\n", summary.trailingBytes());
    for (int field = 0; field < LogSummary::kFieldCount; ++field) {
        const LogSummary::Extent& e = summary.extent(field);
        if (e.any)
            std::printf("%s: %.9g to %.9g\n", LogSummary::fieldName(field), e.minimum, e.maximum);
    }

    const ChartState& chart = summary.chart();
    std::printf("replay: span %d, step %d, x-scale %d, history %d",
                chart.timeSpan, chart.thinningStep, chart.xScale, chart.historyCount);
    if (summary.replay().ignoredSelections > 0)
        std::printf(" (%lld selected records beyond the history ignored)",
                    static_cast<long long>(summary.replay().ignoredSelections));
    std::printf("\n");
    static constexpr const char* kRangeNames[kQuantityCount] = {"capacity", "voltage", "temperature", "current"};
    for (int q = 0; q < kQuantityCount; ++q) {
        const AxisRange& r = chart.ranges[static_cast<std::size_t>(q)];
        std::printf("%s axis: %.9g to %.9g\n", kRangeNames[q], static_cast<double>(r.minimum),
                    static_cast<double>(r.maximum));
    }
    if (std::fflush(stdout) != 0) {
        cli::report(kLogTool, "standard output", "cannot be written");
        return cli::kExitFailure;
    }
    return cli::kExitOk;
}
