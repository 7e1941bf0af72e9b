// The CSV of a log, as `trelvane-log csv` and the analysis window write it:
// an output that is the log itself (by its name, a link or an open
// descriptor) is refused and the log left whole; the rows are those of the
// records asked for; a log that grows while written gives the records it had
// at open, one that shrinks fails naming the log.
#include "recording/LogCsv.h"
#include "recording/LogCsvExport.h"
#include "recording/LogProgress.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <functional>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::vector<MeasurementRecord> charge(int seconds)
{
    std::vector<MeasurementRecord> records(static_cast<std::size_t>(seconds));
    for (int s = 1; s <= seconds; ++s) {
        MeasurementRecord& r = records[static_cast<std::size_t>(s - 1)];
        r.elapsedSeconds = s;
        r.voltage = 12.0f + static_cast<float>(s) / 1000.0f;
        r.capacity = s;
    }
    return records;
}

std::string expectedCsv(const std::vector<MeasurementRecord>& records, std::size_t first, std::size_t end)
{
    std::string out = LogCsv::header() + '\n';
    for (std::size_t i = first; i < end; ++i)
        out += LogCsv::row(records[i]) + '\n';
    return out;
}

std::string text(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = readBytes(path);
    return {bytes.begin(), bytes.end()};
}

class CallbackProgress : public LogProgress {
public:
    explicit CallbackProgress(std::function<void()> each) : each_(std::move(each)) {}
    bool advance(std::int64_t, std::int64_t) override
    {
        each_();
        return true;
    }

private:
    std::function<void()> each_;
};

TEST(LogCsvExport, AnOutputThatIsTheLogIsRefusedBeforeAnythingIsEmptied)
{
    TempDir dir;
    const std::string log = dir.file("run.tvr");
    writeRecords(log, charge(3));
    const std::vector<std::uint8_t> before = readBytes(log);
    ASSERT_EQ(::link(log.c_str(), dir.file("hard.tvr").c_str()), 0);
    ASSERT_EQ(::symlink(log.c_str(), dir.file("soft.csv").c_str()), 0);

    for (const char* out : {"run.tvr", "hard.tvr", "soft.csv", "./run.tvr"}) {
        SCOPED_TRACE(out);
        const std::string path = std::string(out) == "./run.tvr" ? dir.path() + "/./run.tvr" : dir.file(out);
        LogCsvExport csv(log);
        EXPECT_FALSE(csv.write(path));
        EXPECT_EQ(csv.failedFile(), path);
        EXPECT_EQ(csv.reason(), LogCsvExport::kIsTheLog);
        EXPECT_EQ(readBytes(log), before);
    }
    // Standard output sent to the log (`>> run.tvr`).
    const int fd = ::open(log.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    LogCsvExport csv(log);
    EXPECT_FALSE(csv.write(fd, "standard output"));
    EXPECT_EQ(csv.reason(), LogCsvExport::kIsTheLog);
    ::close(fd);
    EXPECT_EQ(readBytes(log), before);
}

TEST(LogCsvExport, WritesTheHeaderAndTheRowsOfTheRecordsAsked)
{
    TempDir dir;
    const std::string log = dir.file("run.tvr");
    // More than a block, so ranges cross the reader's blocks.
    const std::vector<MeasurementRecord> records = charge(static_cast<int>(LogReader::kBlockRecords) + 100);
    writeRecords(log, records, {1, 2, 3});
    const std::int64_t n = static_cast<std::int64_t>(records.size());
    const struct {
        const char* name;
        std::int64_t first, last;
        std::size_t wantFirst, wantEnd;
    } cases[] = {
        {"every record", 0, LogCsvExport::kToTheEnd, 0, records.size()},
        {"one record", 5, 5, 5, 6},
        {"across a block's end", 2000, 2100, 2000, 2101},
        {"a last beyond the end", n - 3, n + 10, records.size() - 3, records.size()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = dir.file("out.csv");
        writeRecords(out, charge(1)); // an old file there is emptied first
        LogCsvExport csv(log);
        ASSERT_TRUE(csv.write(out, c.first, c.last)) << csv.failedFile() << ": " << csv.reason();
        EXPECT_EQ(text(out), expectedCsv(records, c.wantFirst, c.wantEnd));
        EXPECT_EQ(csv.written(), static_cast<std::int64_t>(c.wantEnd - c.wantFirst));
        EXPECT_EQ(csv.records(), n);
        EXPECT_EQ(csv.trailingBytes(), 3);
    }
}

TEST(LogCsvExport, ALogThatGrowsGivesItsRecordsAtOpenAndOneThatShrinksFails)
{
    TempDir dir;
    const std::string log = dir.file("run.tvr");
    const std::vector<MeasurementRecord> records = charge(static_cast<int>(LogReader::kBlockRecords) * 2 + 7);
    const std::string out = dir.file("out.csv");

    writeRecords(log, records);
    {
        LogCsvExport csv(log);
        // A recording appends a block's worth after every block read.
        CallbackProgress grow([&] {
            std::vector<MeasurementRecord> all = recordsOf(readBytes(log));
            const std::vector<MeasurementRecord> more = charge(static_cast<int>(LogReader::kBlockRecords));
            all.insert(all.end(), more.begin(), more.end());
            writeRecords(log, all);
        });
        ASSERT_TRUE(csv.write(out, 0, LogCsvExport::kToTheEnd, &grow)) << csv.reason();
        EXPECT_EQ(text(out), expectedCsv(records, 0, records.size()));
    }

    writeRecords(log, records);
    {
        LogCsvExport csv(log);
        CallbackProgress shrink([&] { ::truncate(log.c_str(), static_cast<off_t>(kRecordSize * 10)); });
        EXPECT_FALSE(csv.write(out, 0, LogCsvExport::kToTheEnd, &shrink));
        EXPECT_EQ(csv.failedFile(), log);
        EXPECT_NE(csv.reason().find("shortened"), std::string::npos) << csv.reason();
    }
}

TEST(LogCsvExport, FailuresNameTheFileTheyConcern)
{
    TempDir dir;
    const std::string log = dir.file("run.tvr");
    writeRecords(log, charge(2));

    LogCsvExport missing(dir.file("missing.tvr"));
    EXPECT_FALSE(missing.isOpen());
    EXPECT_FALSE(missing.write(dir.file("out.csv")));
    EXPECT_EQ(missing.failedFile(), dir.file("missing.tvr"));
    EXPECT_EQ(missing.reason(), "No such file or directory");

    LogCsvExport csv(log);
    const std::string nowhere = dir.file("no/such/out.csv");
    EXPECT_FALSE(csv.write(nowhere));
    EXPECT_EQ(csv.failedFile(), nowhere);
    EXPECT_EQ(csv.reason(), "No such file or directory");

    if (::access("/dev/full", W_OK) == 0) {
        LogCsvExport full(log);
        EXPECT_FALSE(full.write("/dev/full"));
        EXPECT_EQ(full.failedFile(), "/dev/full");
        EXPECT_EQ(full.reason(), "No space left on device");
    }
}

} // namespace
