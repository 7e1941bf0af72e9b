#include "analysis/RangeCsv.h"

#include "recording/LogCsv.h"
#include "recording/LogReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool writeCsvRange(const std::string& logPath, std::size_t first, std::size_t last, const std::string& outPath,
                   std::string& error)
{
    LogReader reader(logPath);
    if (!reader.isOpen()) {
        error = logPath + ": " + reader.error();
        return false;
    }
    std::FILE* out = std::fopen(outPath.c_str(), "w");
    if (!out) {
        error = outPath + ": " + std::strerror(errno);
        return false;
    }
    std::string text = LogCsv::header() + '\n';
    std::size_t at = 0;
    for (std::size_t count; at <= last && (count = reader.next()) > 0; at += count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (at + i >= first && at + i <= last) {
                text += LogCsv::row(reader.at(i));
                text += '\n';
            }
        }
        std::fwrite(text.data(), 1, text.size(), out);
        text.clear();
    }
    std::fwrite(text.data(), 1, text.size(), out);
    const bool written = !std::ferror(out);
    const bool closed = std::fclose(out) == 0;
    if (!reader.error().empty()) {
        error = logPath + ": " + reader.error();
        return false;
    }
    if (!written || !closed) {
        error = outPath + ": " + std::strerror(errno);
        return false;
    }
    if (at <= last) {
        error = logPath + ": the file holds fewer records than were shown (it was shortened)";
        return false;
    }
    return true;
}
