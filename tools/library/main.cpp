// trelvane-library: the run library from the command line.
#include "LibraryCommands.h"

#include "CommandLine.h"

int main(int argc, char** argv)
{
    cli::Commands commands(
        kLibraryTool,
        "Keeps a library of recorded runs (.tvr logs) with their figures, groups them by pack,\n"
        "and shows how a pack changes over its runs. The logs are never changed.",
        "Every command takes --library FILE and --wait SECONDS (see COMMAND --help).\n"
        "\n"
        "Exit status:\n"
        "  0  done\n"
        "  1  the library or a log could not be read or written (scan: some logs were\n"
        "     not added; the others were)\n"
        "  2  the command line is wrong\n"
        "  3  check found warnings");
    commands.add("scan", "FOLDER|FILE...", "add new logs, find moved ones again, report broken ones", runScan);
    commands.add("list", "[--pack NAME] [--csv]", "the runs with their figures, oldest first", runList);
    commands.add("pack", "add|rename|assign|notes|set|list ...", "name packs and assign runs to them", runPack);
    commands.add("trend", "PACK [--csv]", "a pack's runs with their change against its first runs", runTrend);
    commands.add("check", "[PACK]", "health warnings of every pack, or of one", runCheck);
    return commands.run(argc, argv);
}
