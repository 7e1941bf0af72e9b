// trelvane-log stats: the figures of the analysis window's cursor table for a
// range of a log, as text or JSON.
#include "LogCommands.h"
#include "RangeOptions.h"

#include "CommandLine.h"
#include "analysis/StatsReport.h"
#include "analysis/TimeAxis.h"

#include <cmath>
#include <cstdio>

int runStats(int argc, const char* const* argv)
{
    cli::CommandLine line(
        std::string(kLogTool) + " stats", "FILE [--from H:MM:SS] [--to H:MM:SS] [--json]",
        "Prints, for the records from --from to --to (the whole run by default; both ends\n"
        "included, in time of the run as the stamps give it): the duration, delta V, the\n"
        "charge from the charger's capacity field and from the integrated current (trapezoids\n"
        "over one-second steps; gaps in the stamps are not bridged), the energy, the mean\n"
        "current, the largest cell spread and its time, and for every quantity its value at\n"
        "the start and the end, the difference and the minimum and maximum in between.",
        "JSON (--json), one object:\n"
        "  file, from_s, to_s, first_record, last_record (counted from 1),\n"
        "  duration_s, delta_voltage_V, capacity_delta_mAh, charge_delta_mAh, energy_Wh,\n"
        "  mean_current_A, largest_spread_mV, largest_spread_time_s,\n"
        "  quantities: {NAME_UNIT: {start, end, delta, minimum, maximum}} for voltage_V,\n"
        "  current_A, capacity_mAh, temperature_deg, cell1_V..cell8_V (the cells that read\n"
        "  non-zero), spread_mV, power_W, energy_Wh, charge_mAh.\n"
        "  Times are seconds of the run; a figure the range does not have is null.\n"
        "\n"
        "Exit status:\n"
        "  0  done\n"
        "  1  the file cannot be read or holds no record in the range\n"
        "  2  the command line is wrong");
    line.flag("json", 0, "print one JSON object instead of text");
    rangeoptions::declare(line);
    line.positionals("FILE", 1, 1);
    if (!line.parse(argc, argv, 2))
        return line.exitCode();
    const std::optional<rangeoptions::Range> range = rangeoptions::parse(line);
    if (!range)
        return cli::kExitUsage;
    const std::string& file = line.arguments().front();

    AnalysisRun run(file);
    if (!rangeoptions::load(run))
        return cli::kExitFailure;
    const RunData& data = run.data();
    const std::size_t first = data.lowerBound(range->from);
    const std::size_t end = data.lowerBound(std::nextafter(range->to, INFINITY));
    if (first >= end) {
        cli::report(kLogTool, file,
                    data.empty() ? "holds no record" : "holds no record between " + clockText(range->from) + " and "
                                                           + clockText(range->to));
        return cli::kExitFailure;
    }
    const RangeStats stats = rangeStats(data, first, end - 1);
    const std::string out = line.isSet("json") ? statsJson(file, stats) : statsText(file, stats);
    std::fputs(out.c_str(), stdout);
    if (std::fflush(stdout) != 0) {
        cli::report(kLogTool, "standard output", "cannot be written");
        return cli::kExitFailure;
    }
    if (run.trailingBytes() > 0)
        cli::report(kLogTool, file, std::to_string(run.trailingBytes()) + " trailing bytes after the last record ignored");
    return cli::kExitOk;
}
