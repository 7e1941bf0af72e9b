#pragma once

// The commands of trelvane-library; each parses its own options and returns
// an exit status (cli::kExitOk, kExitFailure, kExitUsage, kExitWarnings).
int runScan(int argc, const char* const* argv);
int runList(int argc, const char* const* argv);
int runPack(int argc, const char* const* argv);
int runTrend(int argc, const char* const* argv);
int runCheck(int argc, const char* const* argv);

constexpr const char* kLibraryTool = "trelvane-library";
// `check` found something to warn about: the work was done, and it says so.
constexpr int kExitWarnings = 3;
