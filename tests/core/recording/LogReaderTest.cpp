// Paths that name no log file: a FIFO without a writer, an endless device and
// an empty one are refused at once by the reader, by replay and by the log
// summary, instead of blocking or reading for ever.
#include "recording/LogReader.h"
#include "recording/LogReplay.h"
#include "recording/LogSummary.h"

#include "ChildProcess.h"
#include "FakeRecordingHost.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Input {
    const char* name;
    std::string path;
};

std::vector<Input> nonLogInputs(const TempDir& dir)
{
    std::vector<Input> inputs;
    const std::string fifo = dir.file("pipe.tvr");
    if (::mkfifo(fifo.c_str(), 0600) == 0)
        inputs.push_back({"FIFO without a writer", fifo});
    if (::access("/dev/zero", R_OK) == 0)
        inputs.push_back({"endless device", "/dev/zero"});
    if (::access("/dev/null", R_OK) == 0)
        inputs.push_back({"empty device", "/dev/null"});
    return inputs;
}

constexpr unsigned kGenerousSeconds = 20;

TEST(LogReaderInputs, NonRegularFilesAreRefusedWithoutBlockingOrReading)
{
    TempDir dir;
    const auto inputs = nonLogInputs(dir);
    ASSERT_FALSE(inputs.empty());
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.name);
        const int status = exitStatusWithin(kGenerousSeconds, [&] {
            LogReader reader(input.path);
            return !reader.isOpen() && reader.error() == LogReader::kNotRegular && reader.next() == 0;
        });
        EXPECT_EQ(status, 0) << (status == -1 ? "did not return" : "was not refused");
    }
}

TEST(LogReaderInputs, ReplayOfANonRegularFileReturnsWithAnEmptyHistory)
{
    TempDir dir;
    for (const Input& input : nonLogInputs(dir)) {
        SCOPED_TRACE(input.name);
        const int status = exitStatusWithin(kGenerousSeconds, [&] {
            ChartState state;
            SharedWords words;
            FakeRecordingHost host;
            SampleHistory history(state, words, host);
            words.runMode = RunMode::Replay;
            state.historyCount = 4;
            const ReplayReport report = readLogFile(input.path, history);
            return !report.opened && report.error == LogReader::kNotRegular && report.records == 0
                && state.historyCount == 0 && state.timeSpan == 10 && host.calls.empty();
        });
        EXPECT_EQ(status, 0) << (status == -1 ? "did not return" : "was not refused");
    }
}

TEST(LogReaderInputs, SummaryOfANonRegularFileFailsWithTheReason)
{
    TempDir dir;
    for (const Input& input : nonLogInputs(dir)) {
        SCOPED_TRACE(input.name);
        const int status = exitStatusWithin(kGenerousSeconds, [&] {
            LogSummary summary;
            return !summary.read(input.path) && summary.error() == LogReader::kNotRegular
                && summary.records() == 0;
        });
        EXPECT_EQ(status, 0) << (status == -1 ? "did not return" : "was not refused");
    }
}

TEST(LogReaderInputs, RegularFileIsStillReadInWholeRecords)
{
    // The open is non-blocking only to tell files apart; reading must block
    // normally and deliver every record.
    TempDir dir;
    std::vector<MeasurementRecord> records(LogReader::kBlockRecords + 3);
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].elapsedSeconds = static_cast<std::int32_t>(i + 1);
    writeRecords(dir.file("run.tvr"), records, {1, 2, 3});
    LogReader reader(dir.file("run.tvr"));
    ASSERT_TRUE(reader.isOpen()) << reader.error();
    std::vector<std::int32_t> stamps;
    for (std::size_t count; (count = reader.next()) > 0;) {
        for (std::size_t i = 0; i < count; ++i)
            stamps.push_back(reader.at(i).elapsedSeconds);
    }
    EXPECT_EQ(reader.error(), "");
    EXPECT_EQ(reader.trailingBytes(), 3);
    ASSERT_EQ(stamps.size(), records.size());
    for (std::size_t i = 0; i < stamps.size(); ++i)
        ASSERT_EQ(stamps[i], static_cast<std::int32_t>(i + 1)) << i;
}

} // namespace
