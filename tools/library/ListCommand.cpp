// trelvane-library list: the runs with their figures.
#include "LibraryCommands.h"

#include "CommandLine.h"
#include "LibraryOptions.h"
#include "RunListing.h"
#include "library/LibraryError.h"

int runList(int argc, const char* const* argv)
{
    cli::CommandLine line(std::string(kLibraryTool) + " list", "[--pack NAME] [--csv]",
                          "Lists the runs, oldest first, with their figures: capacity from the charger's\n"
                          "count and from the integrated current, energy, peak and end voltage, peak\n"
                          "current and temperature, the cells' spread at the end and the largest during\n"
                          "the run. Times are local. The CSV also has each cell's end voltage and the\n"
                          "content hash; an empty field is a figure the run does not have.",
                          "Exit status:\n"
                          "  0  done\n"
                          "  1  the library could not be read, or there is no such pack\n"
                          "  2  the command line is wrong");
    LibraryOptions::declare(line);
    line.option("pack", 0, "NAME", "only the runs of this pack");
    line.flag("csv", 0, "comma-separated, with a header line of keys");
    line.positionals({}, 0, 0);
    if (!line.parse(argc, argv, 2))
        return line.exitCode();
    bool usage = false;
    const std::unique_ptr<RunLibrary> library = LibraryOptions::open(line, RunLibrary::Access::Read, usage);
    if (!library)
        return usage ? cli::kExitUsage : cli::kExitFailure;

    const bool csv = line.isSet("csv");
    const std::vector<RunColumn> columns = csv ? csvColumns() : listedColumns();
    RunListing listing(RunListing::headings(columns, csv));
    try {
        std::optional<std::int64_t> pack;
        if (line.isSet("pack"))
            pack = library->pack(line.value("pack")).id;
        for (const LibraryRun& run : library->runs(pack))
            listing.add(RunListing::row(run, columns, csv));
    } catch (const LibraryError& e) {
        cli::report(kLibraryTool, e.subject(), e.reason());
        return cli::kExitFailure;
    }
    return print(csv ? listing.csv() : listing.text()) ? cli::kExitOk : cli::kExitFailure;
}
