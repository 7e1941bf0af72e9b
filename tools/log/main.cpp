// trelvane-log: looks into a recorded .tvr log without the program.
//   trelvane-log info FILE            records, stamps, value extents, replay state
//   trelvane-log csv FILE [-o OUT]    one comma-separated line per record
#include "recording/LogCsv.h"
#include "recording/LogReader.h"
#include "recording/LogSummary.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kFailure = 2;

int usage()
{
    std::fputs("usage: trelvane-log info FILE\n"
               "       trelvane-log csv FILE [-o OUT]\n",
               stderr);
    return kFailure;
}

int fileError(const std::string& file, const std::string& reason)
{
    std::fprintf(stderr, "trelvane-log: %s: %s\n", file.c_str(), reason.c_str());
    return kFailure;
}

int info(const std::string& file)
{
    LogSummary summary;
    if (!summary.read(file))
        return fileError(file, summary.error());

    std::printf("file: %s\n", file.c_str());
    std::printf("records: %lld\n", static_cast<long long>(summary.records()));
    if (summary.records() > 0) {
        std::printf("stamps: %d to %d\n", summary.firstStamp(), summary.lastStamp());
        std::printf("duration: %s\n", LogCsv::clock(summary.lastStamp()).c_str());
    }
    if (summary.firstGapPosition() == 0)
        std::printf("first gap: none\n");
    else
        std::printf("first gap: record %lld holds stamp %d\n",
                    static_cast<long long>(summary.firstGapPosition()), summary.firstGapStamp());
    std::printf("trailing fragment: %d bytes\n", summary.trailingBytes());
    for (int field = 0; field < LogSummary::kFieldCount; ++field) {
        const LogSummary::Extent& e = summary.extent(field);
        if (e.any)
            std::printf("%s: %.9g to %.9g\n", LogSummary::fieldName(field), e.minimum, e.maximum);
    }

    const ChartState& chart = summary.chart();
    std::printf("replay: span %d, step %d, x-scale %d, history %d",
                chart.timeSpan, chart.thinningStep, chart.xScale, chart.historyCount);
    if (summary.replay().ignoredSelections > 0)
        std::printf(" (%lld selected records beyond the history ignored)",
                    static_cast<long long>(summary.replay().ignoredSelections));
    std::printf("\n");
    static constexpr const char* kRangeNames[kQuantityCount] = {"capacity", "voltage", "temperature", "current"};
    for (int q = 0; q < kQuantityCount; ++q) {
        const AxisRange& r = chart.ranges[static_cast<std::size_t>(q)];
        std::printf("%s axis: %.9g to %.9g\n", kRangeNames[q], static_cast<double>(r.minimum),
                    static_cast<double>(r.maximum));
    }
    return 0;
}

int csv(const std::string& file, const std::string& out)
{
    LogReader reader(file);
    if (!reader.isOpen())
        return fileError(file, reader.error());

    std::FILE* sink = stdout;
    if (!out.empty()) {
        sink = std::fopen(out.c_str(), "w");
        if (!sink)
            return fileError(out, std::strerror(errno));
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
    if (!reader.error().empty())
        return fileError(file, reader.error());
    if (writeFailed || closeFailed != 0)
        return fileError(out.empty() ? "standard output" : out, std::strerror(errno));
    if (reader.trailingBytes() > 0)
        std::fprintf(stderr, "trelvane-log: %s: %d trailing bytes after the last record ignored\n",
                     file.c_str(), reader.trailingBytes());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const std::string command = argv[1];
    const std::string file = argv[2];
    if (command == "info" && argc == 3)
        return info(file);
    if (command == "csv") {
        if (argc == 3)
            return csv(file, {});
        if (argc == 5 && std::strcmp(argv[3], "-o") == 0)
            return csv(file, argv[4]);
    }
    return usage();
}
