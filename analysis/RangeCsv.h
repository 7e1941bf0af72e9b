#pragma once

#include <cstddef>
#include <string>

// Writes records first..last (counted from 0) of a log file as the CSV of
// `trelvane-log csv`: its header, then one line per record, read from the
// file itself so the rows are exactly what the tool prints. False with
// `error` naming what failed (the log or the output); the output is never
// the log itself.
bool writeCsvRange(const std::string& logPath, std::size_t first, std::size_t last, const std::string& outPath,
                   std::string& error);
