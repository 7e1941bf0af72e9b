// trelvane-log csv: a log file as comma-separated text.
#include "LogCommands.h"

#include "CommandLine.h"
#include "recording/LogCsv.h"
#include "recording/LogReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

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
    std::string text = LogCsv::header() + '\n';
    std::fputs(text.c_str(), sink);
    for (std::size_t count; (count = reader.next()) > 0;) {
        text.clear();
        for (std::size_t i = 0; i < count; ++i) {
            text += LogCsv::row(reader.at(i));
            text += '\n';
        }
        std::fwrite(text.data(), 1, text.size(), sink);
    }
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
