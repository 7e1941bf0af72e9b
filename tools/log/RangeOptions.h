#pragma once

#include "CommandLine.h"
#include "analysis/AnalysisRun.h"

#include <optional>
#include <string>

// What `stats` and `plot` share: --from and --to as h:mm:ss of the run, and
// reading a log with progress on a terminal.
namespace rangeoptions {

void declare(cli::CommandLine& line);

struct Range {
    double from;
    double to;
};
// The times asked for; nothing (after a usage message) when one cannot be read.
std::optional<Range> parse(const cli::CommandLine& line);

// Loads a run, printing progress to a terminal for long files; reports a
// failure as "trelvane-log: FILE: reason".
bool load(AnalysisRun& run);

} // namespace rangeoptions
