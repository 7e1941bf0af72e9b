#pragma once

#include "CommandLine.h"
#include "library/RunLibrary.h"

#include <cstdint>
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

// Runs given as run numbers or as log files; a log the library does not hold
// yet is read and added. Reports and returns nothing when one cannot be had.
std::optional<std::vector<std::int64_t>> resolveRuns(RunLibrary& library, const std::vector<std::string>& given);

// A floating value option: nothing when absent, or "default" as `reset`.
struct Setting {
    bool given = false;
    std::optional<double> value; // empty: back to the default
};

} // namespace LibraryOptions
