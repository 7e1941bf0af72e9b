// trelvane-library scan: brings the library up to date with the logs in folders.
#include "LibraryCommands.h"

#include "CommandLine.h"
#include "LibraryOptions.h"
#include "RunListing.h"
#include "TerminalProgress.h"
#include "library/LibraryError.h"
#include "library/LibraryScan.h"

#include <algorithm>
#include <cstdio>

int runScan(int argc, const char* const* argv)
{
    cli::CommandLine line(std::string(kLibraryTool) + " scan", "FOLDER|FILE...",
                          "Looks for .tvr logs in the folders (and below them) and brings the library up to\n"
                          "date: new logs are read and added; a log that was moved or renamed is found again\n"
                          "by its content and keeps its pack; a file the library knows whose size and\n"
                          "modification time did not change is not read again. Files that are no run (cut\n"
                          "short, not a log, unreadable) are reported and the scan goes on. Files the\n"
                          "library knew in these folders that are gone are forgotten; their runs stay.",
                          "Exit status:\n"
                          "  0  done: every log file is in the library or empty\n"
                          "  1  the library could not be used, or some files or folders are reported (the\n"
                          "     others were added)\n"
                          "  2  the command line is wrong");
    LibraryOptions::declare(line);
    line.positionals("FOLDER|FILE", 1, -1);
    if (!line.parse(argc, argv, 2))
        return line.exitCode();
    bool usage = false;
    const std::unique_ptr<RunLibrary> library = LibraryOptions::open(line, RunLibrary::Access::Write, usage);
    if (!library)
        return usage ? cli::kExitUsage : cli::kExitFailure;

    ScanReport report;
    {
        TerminalProgress progress(kLibraryTool, "scan");
        const auto show = [&](const ScanProgress& p) {
            progress.show(p.walking ? std::to_string(p.found) + " log files found"
                                    : TerminalProgress::count(p.done, p.found, "log files looked at"));
        };
        try {
            report = LibraryScan(*library).scan(line.arguments(), show);
        } catch (const LibraryError& e) {
            progress.finish();
            cli::report(kLibraryTool, e.subject(), e.reason());
            return cli::kExitFailure;
        }
    }
    for (const ScanReport::Problem& problem : report.problems)
        cli::report(kLibraryTool, problem.path, problem.reason);

    const auto unread = static_cast<std::size_t>(std::count_if(report.problems.begin(), report.problems.end(),
                                                               [](const ScanReport::Problem& p) { return p.place; }));
    const std::string places = unread == 0 ? "" : "; " + std::to_string(unread) + " folders or names not read";
    char summary[320];
    std::snprintf(summary, sizeof summary,
                  "%lld log files (%lld read): %lld added, %lld moved, %lld copies, %lld unchanged, %lld empty, "
                  "%lld gone, %zu not runs%s\n",
                  static_cast<long long>(report.files), static_cast<long long>(report.read),
                  static_cast<long long>(report.added), static_cast<long long>(report.moved),
                  static_cast<long long>(report.copies), static_cast<long long>(report.unchanged),
                  static_cast<long long>(report.empty), static_cast<long long>(report.gone),
                  report.problems.size() - unread,
                  places.c_str());
    if (!print(summary))
        return cli::kExitFailure;
    return report.problems.empty() ? cli::kExitOk : cli::kExitFailure;
}
