#pragma once

#include "CommandLine.h"
#include "library/RunLibrary.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// What every command of trelvane-library shares: --library FILE and --wait
// SECONDS, opening the library with them, and telling about a failure.
namespace LibraryOptions {

void declare(cli::CommandLine& line);
// The library, or nothing after reporting why (the command ends with kExitFailure).
// A usage problem with --wait is reported too; `usage` tells it apart.
std::unique_ptr<RunLibrary> open(const cli::CommandLine& line, RunLibrary::Access access, bool& usage);

using Work = std::function<int(RunLibrary&, const cli::CommandLine&)>;
using Check = std::function<bool(const cli::CommandLine&)>;

// Parses `line` (its options declared), checks the values with `valid` (false:
// a usage error, reported), opens the library and runs `work`, reporting a
// LibraryError. A wrong value is refused before the library is opened, so it
// creates none. Returns the exit status.
int withLibrary(int argc, const char* const* argv, cli::CommandLine& line, RunLibrary::Access access, const Work& work,
                const Check& valid = {});

// Runs given as run numbers or as log files; a log the library does not hold
// yet is read and added. Reports and returns nothing when one cannot be had.
std::optional<std::vector<std::int64_t>> resolveRuns(RunLibrary& library, const std::vector<std::string>& given);

// A floating value option: nothing when absent, or "default" as `reset`.
struct Setting {
    bool given = false;
    std::optional<double> value; // empty: back to the default
};

} // namespace LibraryOptions
