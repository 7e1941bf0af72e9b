// trelvane-log csv: a log file as comma-separated text.
#include "LogCommands.h"

#include "CommandLine.h"
#include "recording/LogCsv.h"
#include "recording/LogReader.h"
#include "TerminalProgress.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int runCsv(int argc, const char* const* argv)
{
    cli::CommandLine line(std::string(kLogTool) + " csv", "FILE [-o OUT]",
                          "Writes one comma-separated line per record, after a header line:\n"
                          "  " + LogCsv::header() + "\n"
                          "Numbers use '.' whatever the locale; floats keep every bit (%.9g).");
    line.option("output", 'o', "OUT", "write to OUT instead of standard output");
    line.positionals("FILE", 1, 1);
    if (!line.parse(argc, argv, 2))
        return line.exitCode();
    const std::string& file = line.arguments().front();
    const std::string out = line.value("output");

    LogReader reader(file);
    if (!reader.isOpen()) {
        cli::report(kLogTool, file, reader.error());
        return cli::kExitFailure;
    }

    std::FILE* sink = stdout;
    if (!out.empty()) {
        sink = std::fopen(out.c_str(), "w");
        if (!sink) {
            cli::report(kLogTool, out, std::strerror(errno));
            return cli::kExitFailure;
        }
    }
    const std::string header = LogCsv::header() + '\n';
    std::fwrite(header.data(), 1, header.size(), sink);
    // One block of records is formatted into one buffer and written at once.
    std::vector<char> text(LogReader::kBlockRecords * (LogCsv::kMaxRowLength + 1));
    TerminalProgress progress(kLogTool, file);
    const std::int64_t total = reader.sizeAtOpen() / static_cast<std::int64_t>(kRecordSize);
    std::int64_t done = 0;
    for (std::size_t count; (count = reader.next()) > 0;) {
        char* end = text.data();
        for (std::size_t i = 0; i < count; ++i) {
            end = LogCsv::writeRow(end, reader.at(i));
            *end++ = '\n';
        }
        if (std::fwrite(text.data(), 1, static_cast<std::size_t>(end - text.data()), sink) == 0 && end != text.data())
            break; // the error is reported below
        done += static_cast<std::int64_t>(count);
        progress.advance(done, total);
    }
    progress.finish();
    const int writeFailed = std::ferror(sink);
    const int closeFailed = sink == stdout ? std::fflush(sink) : std::fclose(sink);
    if (!reader.error().empty()) {
        cli::report(kLogTool, file, reader.error());
        return cli::kExitFailure;
    }
    if (writeFailed || closeFailed != 0) {
        cli::report(kLogTool, out.empty() ? "standard output" : out, std::strerror(errno));
        return cli::kExitFailure;
    }
    if (reader.trailingBytes() > 0)
        cli::report(kLogTool, file,
                    std::to_string(reader.trailingBytes()) + " trailing bytes after the last record ignored");
    return cli::kExitOk;
}
