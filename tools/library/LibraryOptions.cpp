#include "LibraryOptions.h"

#include "LibraryCommands.h"
#include "library/LibraryError.h"
#include "library/LibraryPaths.h"
#include "library/LibraryScan.h"

#include <charconv>

namespace LibraryOptions {

namespace {
constexpr std::int64_t kMaxWaitSeconds = 3600;
}

void declare(cli::CommandLine& line)
{
    line.option("library", 0, "FILE", "the run library to use (default: " + defaultLibraryPath() + ")");
    line.option("wait", 0, "SECONDS", "how long to wait while another program writes the library (default 10)");
}

std::unique_ptr<RunLibrary> open(const cli::CommandLine& line, RunLibrary::Access access, bool& usage)
{
    usage = false;
    const std::optional<std::int64_t> wait =
        line.integer("wait", 0, kMaxWaitSeconds, RunLibrary::kBusyTimeoutMs / 1000);
    if (!wait) {
        usage = true;
        return nullptr;
    }
    const std::string path = line.value("library", defaultLibraryPath());
    try {
        return std::make_unique<RunLibrary>(path, access, static_cast<int>(*wait * 1000));
    } catch (const LibraryError& e) {
        cli::report(kLibraryTool, e.subject(), e.reason());
        return nullptr;
    }
}

int withLibrary(int argc, const char* const* argv, cli::CommandLine& line, RunLibrary::Access access, const Work& work,
                const Check& valid)
{
    if (!line.parse(argc, argv, 2))
        return line.exitCode();
    if (valid && !valid(line))
        return cli::kExitUsage;
    bool usage = false;
    const std::unique_ptr<RunLibrary> library = open(line, access, usage);
    if (!library)
        return usage ? cli::kExitUsage : cli::kExitFailure;
    try {
        return work(*library, line);
    } catch (const LibraryError& e) {
        cli::report(kLibraryTool, e.subject(), e.reason());
        return cli::kExitFailure;
    }
}

std::optional<std::vector<std::int64_t>> resolveRuns(RunLibrary& library, const std::vector<std::string>& given)
{
    std::vector<std::int64_t> ids;
    for (const std::string& run : given) {
        std::int64_t id = 0;
        const auto [end, ec] = std::from_chars(run.data(), run.data() + run.size(), id);
        if (ec == std::errc() && end == run.data() + run.size()) {
            if (!library.run(id)) {
                cli::report(kLibraryTool, "run " + run, "no such run (see trelvane-library list)");
                return std::nullopt;
            }
            ids.push_back(id);
            continue;
        }
        const std::string path = libraryPathOf(run);
        if (const std::optional<std::int64_t> known = library.runOfFile(path)) {
            ids.push_back(*known);
            continue;
        }
        const ScannedLog log = scanLog(path);
        if (!log.isRun()) {
            cli::report(kLibraryTool, run, log.problem);
            return std::nullopt;
        }
        SqliteTransaction transaction(library.database());
        ids.push_back(library.record(path, log).runId);
        transaction.commit();
    }
    return ids;
}

} // namespace LibraryOptions
