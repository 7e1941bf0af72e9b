// Following a log file while it is recorded: whole records as they are
// appended, a record written in two pieces, a file emptied for a new run or
// replaced by another, and paths that are no log at all.
#include "analysis/AnalysisRun.h"
#include "analysis/LogFollower.h"
#include "recording/LogReader.h"

#include "SyntheticRun.h"
#include "core/recording/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void appendBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> bytesOf(const std::vector<MeasurementRecord>& rs)
{
    std::vector<std::uint8_t> out;
    for (const MeasurementRecord& r : rs) {
        const RecordBytes b = toBytes(r);
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

std::vector<MeasurementRecord> stamped(int first, int count)
{
    std::vector<MeasurementRecord> rs;
    for (int s = first; s < first + count; ++s)
        rs.push_back(sampleRecord(s, 12.0f + 0.001f * s, 2.0f, s));
    return rs;
}

TEST(LogFollower, TakesInWhatIsAppendedAsItBecomesWhole)
{
    TempDir dir;
    const std::string log = dir.file("growing.tvr");
    appendBytes(log, bytesOf(stamped(1, 5000)));
    AnalysisRun run(log);
    ASSERT_TRUE(run.load()) << run.error();
    EXPECT_EQ(run.data().size(), 5000u);

    const std::vector<std::uint8_t> next = bytesOf(stamped(5001, 2));
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        AnalysisRun::Update update;
        std::size_t size;
        int trailing;
        double lastTime;
    } steps[] = {
        {"nothing new", {}, AnalysisRun::Update::None, 5000, 0, 5000},
        {"first half of a record", {next.begin(), next.begin() + 30}, AnalysisRun::Update::None, 5000, 30, 5000},
        {"its second half", {next.begin() + 30, next.begin() + 64}, AnalysisRun::Update::Grew, 5001, 0, 5001},
        {"one more and a bit", {next.begin() + 64, next.end()}, AnalysisRun::Update::Grew, 5002, 0, 5002},
        {"a stray fragment", {1, 2, 3}, AnalysisRun::Update::None, 5002, 3, 5002},
    };
    for (const auto& s : steps) {
        appendBytes(log, s.bytes);
        EXPECT_EQ(run.refresh(), s.update) << s.name;
        EXPECT_EQ(run.data().size(), s.size) << s.name;
        EXPECT_EQ(run.trailingBytes(), s.trailing) << s.name;
        EXPECT_EQ(run.data().lastTime(), s.lastTime) << s.name;
    }
}

TEST(LogFollower, AFileEmptiedOrReplacedIsReadAgainFromItsStart)
{
    TempDir dir;
    const std::string log = dir.file("run.tvr");
    appendBytes(log, bytesOf(stamped(1, 300)));
    AnalysisRun run(log);
    ASSERT_TRUE(run.load());

    // "start" empties the file for a new charge, which then records 10 s.
    std::ofstream(log, std::ios::binary | std::ios::trunc).close();
    appendBytes(log, bytesOf(stamped(1, 10)));
    EXPECT_EQ(run.refresh(), AnalysisRun::Update::Restarted);
    EXPECT_EQ(run.data().size(), 10u);

    // Emptied and nothing yet.
    std::ofstream(log, std::ios::binary | std::ios::trunc).close();
    EXPECT_EQ(run.refresh(), AnalysisRun::Update::Restarted);
    EXPECT_TRUE(run.data().empty());

    // Another file moved into its place.
    const std::string other = dir.file("other.tvr");
    appendBytes(other, bytesOf(stamped(1, 42)));
    ASSERT_EQ(std::rename(other.c_str(), log.c_str()), 0);
    EXPECT_EQ(run.refresh(), AnalysisRun::Update::Restarted);
    EXPECT_EQ(run.data().size(), 42u);

    // Removed: what was read stays.
    ASSERT_EQ(::unlink(log.c_str()), 0);
    EXPECT_EQ(run.refresh(), AnalysisRun::Update::None);
    EXPECT_EQ(run.data().size(), 42u);
}

TEST(LogFollower, PathsThatAreNoLogAreRefusedWithTheReason)
{
    TempDir dir;
    const std::string fifo = dir.file("pipe.tvr");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        std::string error;
    } cases[] = {
        {dir.file("missing.tvr"), "No such file or directory"},
        {dir.path(), "Is a directory"},
        {fifo, LogReader::kNotRegular},
        {"/dev/zero", LogReader::kNotRegular},
    };
    for (const auto& c : cases) {
        AnalysisRun run(c.path);
        EXPECT_FALSE(run.load()) << c.path;
        EXPECT_EQ(run.error(), c.error) << c.path;
        EXPECT_TRUE(run.data().empty());
    }
}

TEST(LogFollower, ASizeBeyondAnyRecordingIsRefusedNotReadIntoMemory)
{
    // Sparse files: terabytes of zeros that take no disk, and one just past the limit.
    TempDir dir;
    const std::int64_t record = static_cast<std::int64_t>(kRecordSize);
    const struct {
        const char* name;
        std::int64_t size;
    } cases[] = {
        {"sparse-2T.tvr", std::int64_t{2} << 40},
        {"just-too-long.tvr", (AnalysisRun::kMostRecords + 1) * record},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file(c.name);
        std::ofstream(path).close();
        ASSERT_EQ(::truncate(path.c_str(), c.size), 0) << c.name;
        AnalysisRun run(path);
        EXPECT_FALSE(run.load()) << c.name;
        EXPECT_EQ(run.error(), std::string(AnalysisRun::kTooLarge) + " (" + std::to_string(c.size / record) + " records)")
            << c.name;
        EXPECT_TRUE(run.data().empty()) << c.name;
    }
}

} // namespace
