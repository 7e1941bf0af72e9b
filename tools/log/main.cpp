// trelvane-log: looks into a recorded .tvr log without the program.
#include "LogCommands.h"

#include "CommandLine.h"

int main(int argc, char** argv)
{
    cli::Commands commands(kLogTool, "Looks into a Trelvane log file (.tvr) without the program.",
                           "Exit status:\n"
                           "  0  done\n"
                           "  1  a file could not be read or written\n"
                           "  2  the command line is wrong\n"
                           "\n"
                           "Examples:\n"
                           "  $ trelvane-log info charge.tvr\n"
                           "  $ trelvane-log csv charge.tvr -o charge.csv");
    commands.add("info", "FILE", "records, stamps, gaps, value extents and the chart state a replay shows", runInfo);
    commands.add("csv", "FILE [-o OUT]", "one comma-separated line per record", runCsv);
    commands.add("stats", "FILE [--from H:MM:SS] [--to H:MM:SS] [--json]",
                 "duration, charge, energy, mean current, extremes and cell spread of a range", runStats);
    commands.add("plot", "FILE [MORE ...] -o OUT.png|OUT.svg [--size WxH] ...",
                 "the analysis view drawn into a picture, without a display", runPlotProgram);
    return commands.run(argc, argv);
}
