// trelvane-library check: the health warnings of the packs.
#include "LibraryCommands.h"

#include "CommandLine.h"
#include "LibraryOptions.h"
#include "RunListing.h"
#include "library/PackHealth.h"

int runCheck(int argc, const char* const* argv)
{
    cli::CommandLine line(
        std::string(kLibraryTool) + " check", "[PACK]",
        "Checks every pack (or one) against its thresholds and prints each warning with\n"
        "the thresholds in force and where they come from: the capacity of the last runs\n"
        "against the nominal or the first runs' capacity; the cells' spread at the end of\n"
        "the last charge, and whether it kept growing; the last run's peak temperature.\n"
        "Change a threshold with 'trelvane-library pack set'.",
        "Exit status:\n"
        "  0  no warning\n"
        "  1  the library could not be read, or there is no such pack\n"
        "  2  the command line is wrong\n"
        "  3  there is a warning");
    LibraryOptions::declare(line);
    line.flag("quiet", 'q', "print only packs with warnings, without the thresholds");
    line.positionals("PACK", 0, 1);
    return LibraryOptions::withLibrary(argc, argv, line, RunLibrary::Access::Read,
                                       [](RunLibrary& library, const cli::CommandLine& l) {
        const bool quiet = l.isSet("quiet");
        std::size_t warnings = 0;
        std::string text;
        std::vector<PackInfo> packs =
            l.arguments().empty() ? library.packs() : std::vector<PackInfo>{library.pack(l.arguments()[0])};
        for (const PackInfo& pack : packs) {
            const std::vector<PackRun> runs = library.packRuns(pack.id);
            const std::vector<HealthWarning> found = checkPack(pack, runs);
            warnings += found.size();
            if (quiet && found.empty())
                continue;
            text += "Pack \"" + pack.name + "\" (" + chemistryName(packChemistry(runs)) + ", " + std::to_string(runs.size())
                    + (runs.size() == 1 ? " run): " : " runs): ") + (found.empty() ? "no warnings" : std::to_string(found.size()) + " warning"
                                                                        + (found.size() == 1 ? "" : "s"))
                    + "\n";
            for (const HealthWarning& w : found)
                text += "  ! " + w.text + "\n";
            if (!quiet) {
                for (const std::string& explained : explainThresholds(pack, thresholdsFor(pack.thresholds, packChemistry(runs))))
                    text += "    " + explained + "\n";
            }
        }
        if (packs.empty() && !quiet)
            text += "No packs yet: add one with 'trelvane-library pack add NAME'.\n";
        if (!print(text))
            return cli::kExitFailure;
        return warnings > 0 ? kExitWarnings : cli::kExitOk;
    });
}
