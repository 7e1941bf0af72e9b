// trelvane-library scan: brings the library up to date with the logs in folders.
#include "LibraryCommands.h"

#include "CommandLine.h"
#include "LibraryOptions.h"
#include "RunListing.h"
#include "library/LibraryError.h"
#include "library/LibraryScan.h"

#include <chrono>
#include <cstdio>

#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds kProgressEvery{200};

// On a terminal, one line that keeps being rewritten; nothing in a pipe.
class ProgressLine {
public:
    ProgressLine() : shown_(::isatty(STDERR_FILENO) == 1) {}
    ~ProgressLine() { clear(); }

    void show(const ScanProgress& p)
    {
        if (!shown_)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < kProgressEvery)
            return;
        last_ = now;
        if (p.walking)
            std::fprintf(stderr, "\rscanning: %lld log files found...", static_cast<long long>(p.found));
        else
            std::fprintf(stderr, "\rscanning: %lld of %lld log files looked at   ", static_cast<long long>(p.done),
                         static_cast<long long>(p.found));
        std::fflush(stderr);
        dirty_ = true;
    }
    void clear()
    {
        if (dirty_)
            std::fprintf(stderr, "\r\033[K");
        dirty_ = false;
    }

private:
    bool shown_;
    bool dirty_ = false;
    std::chrono::steady_clock::time_point last_{};
};

} // namespace

int runScan(int argc, const char* const* argv)
{
    cli::CommandLine line(std::string(kLibraryTool) + " scan", "FOLDER|FILE...",
                          "Looks for .tvr logs in the folders (and below them) and brings the library up to\n"
                          "date: new logs are read and added; a log that was moved or renamed is found again\n"
                          "by its content and keeps its pack; a file the library knows whose size and\n"
                          "modification time did not change is not read again. Files that are no run (cut\n"
                          "short, not a log, unreadable) are reported and the scan goes on. Files the\n"
                          "library knew in these folders that are gone are forgotten; their runs stay.");
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
        ProgressLine progress;
        try {
            report = LibraryScan(*library).scan(line.arguments(), [&](const ScanProgress& p) { progress.show(p); });
        } catch (const LibraryError& e) {
            progress.clear();
            cli::report(kLibraryTool, e.subject(), e.reason());
            return cli::kExitFailure;
        }
    }
    for (const ScanReport::Problem& problem : report.problems)
        cli::report(kLibraryTool, problem.path, problem.reason);

    char summary[256];
    std::snprintf(summary, sizeof summary,
                  "%lld log files (%lld read): %lld added, %lld moved, %lld copies, %lld unchanged, %lld empty, "
                  "%lld gone, %zu not runs\n",
                  static_cast<long long>(report.files), static_cast<long long>(report.read),
                  static_cast<long long>(report.added), static_cast<long long>(report.moved),
                  static_cast<long long>(report.copies), static_cast<long long>(report.unchanged),
                  static_cast<long long>(report.empty), static_cast<long long>(report.gone), report.problems.size());
    if (!print(summary))
        return cli::kExitFailure;
    return report.problems.empty() ? cli::kExitOk : cli::kExitFailure;
}
