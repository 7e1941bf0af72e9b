// trelvane-library list: the runs with their figures.
#include "LibraryCommands.h"

#include "CommandLine.h"
#include "LibraryOptions.h"
#include "RunListing.h"

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
    return LibraryOptions::withLibrary(argc, argv, line, RunLibrary::Access::Read,
                                       [](RunLibrary& library, const cli::CommandLine& l) {
        const bool csv = l.isSet("csv");
        const std::vector<RunColumn> columns = csv ? csvColumns() : listedColumns();
        RunListing listing(RunListing::headings(columns, csv));
        std::optional<std::int64_t> pack;
        if (l.isSet("pack"))
            pack = library.pack(l.value("pack")).id;
        for (const LibraryRun& run : library.runs(pack))
            listing.add(RunListing::row(run, columns, csv));
        return print(csv ? listing.csv() : listing.text()) ? cli::kExitOk : cli::kExitFailure;
    });
}
