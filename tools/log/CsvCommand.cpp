// trelvane-log csv: a log file as comma-separated text.
#include "LogCommands.h"

#include "CommandLine.h"
#include "recording/LogCsv.h"
#include "recording/LogCsvExport.h"
#include "TerminalProgress.h"

#include <string>

#include <unistd.h>

int runCsv(int argc, const char* const* argv)
{
    cli::CommandLine line(std::string(kLogTool) + " csv", "FILE [-o OUT]",
                          "Writes one comma-separated line per record, after a header line:\n"
                          "  " + LogCsv::header() + "\n"
                          "Numbers use '.' whatever the locale; floats keep every bit (%.9g).\n"
                          "The records are those the file holds when it is opened. OUT is never the log.",
                          "Exit status:\n"
                          "  0  done\n"
                          "  1  FILE cannot be read (or got shorter while read), or OUT cannot be written\n"
                          "  2  the command line is wrong");
    line.option("output", 'o', "OUT", "write to OUT instead of standard output");
    line.positionals("FILE", 1, 1);
    if (!line.parse(argc, argv, 2))
        return line.exitCode();
    const std::string& file = line.arguments().front();
    const std::string out = line.value("output");

    LogCsvExport csv(file);
    TerminalProgress progress(kLogTool, file);
    const std::int64_t all = LogCsvExport::kToTheEnd;
    const bool written = csv.isOpen()
        && (out.empty() ? csv.write(STDOUT_FILENO, "standard output", 0, all, &progress)
                        : csv.write(out, 0, all, &progress));
    progress.finish();
    if (!written) {
        cli::report(kLogTool, csv.failedFile(), csv.reason());
        return cli::kExitFailure;
    }
    if (csv.trailingBytes() > 0)
        cli::report(kLogTool, file,
                    std::to_string(csv.trailingBytes()) + " trailing bytes after the last record ignored");
    return cli::kExitOk;
}
