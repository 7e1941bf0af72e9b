#pragma once

// The commands of trelvane-log; each parses its own options and returns an
// exit status (cli::kExitOk, kExitFailure, kExitUsage).
int runInfo(int argc, const char* const* argv);
int runCsv(int argc, const char* const* argv);
int runStats(int argc, const char* const* argv);
// Draws (in trelvane-log-plot, which links Qt Widgets).
int runPlot(int argc, const char* const* argv);
// Runs trelvane-log-plot with these arguments; returns only when it cannot.
int runPlotProgram(int argc, const char* const* argv);

constexpr const char* kLogTool = "trelvane-log";
