// Reading a log for the library: which files are runs, and why the others are not.
#include "core/analysis/SyntheticRun.h"
#include "core/recording/TempDir.h"
#include "library/ContentHash.h"
#include "library/ScannedLog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

std::vector<MeasurementRecord> charge(int n)
{
    return records(n, [](int s) { return sampleRecord(s, 12.0f, 2.0f, s / 2); });
}

struct FileCase {
    const char* name;
    std::function<void(const std::string&)> make;
    ScannedLog::Verdict verdict;
};

TEST(ScannedLog, TellsRunsFromFilesThatAreNoRun)
{
    const std::vector<FileCase> cases = {
        {"a recorded charge", [](const std::string& p) { writeRecords(p, charge(50)); }, ScannedLog::Verdict::Run},
        {"a log created for a charge that never came", [](const std::string& p) { writeRecords(p, {}); },
         ScannedLog::Verdict::Empty},
        {"a copy cut short", [](const std::string& p) { writeRecords(p, charge(50), {1, 2, 3}); },
         ScannedLog::Verdict::Truncated},
        {"text renamed to .tvr",
         [](const std::string& p) {
             std::vector<std::uint8_t> text(640, 'x');
             std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(text.data()), 640);
         },
         ScannedLog::Verdict::Foreign},
        {"stamps that go back",
         [](const std::string& p) {
             std::vector<MeasurementRecord> rs = charge(50);
             rs[20].elapsedSeconds = 3;
             writeRecords(p, rs);
         },
         ScannedLog::Verdict::Foreign},
        {"a first stamp of 0",
         [](const std::string& p) {
             std::vector<MeasurementRecord> rs = charge(5);
             rs[0].elapsedSeconds = 0;
             writeRecords(p, rs);
         },
         ScannedLog::Verdict::Foreign},
        {"a voltage that is no number",
         [](const std::string& p) {
             std::vector<MeasurementRecord> rs = charge(50);
             rs[49].voltage = std::numeric_limits<float>::quiet_NaN();
             writeRecords(p, rs);
         },
         ScannedLog::Verdict::Foreign},
        {"a cell voltage of 1e9",
         [](const std::string& p) {
             std::vector<MeasurementRecord> rs = charge(50);
             rs[10].cellVoltage[5] = 1e9f;
             writeRecords(p, rs);
         },
         ScannedLog::Verdict::Foreign},
        {"a folder", [](const std::string& p) { std::filesystem::create_directory(p); }, ScannedLog::Verdict::Unreadable},
        {"nothing at all", [](const std::string&) {}, ScannedLog::Verdict::Unreadable},
    };
    TempDir dir;
    int n = 0;
    for (const FileCase& c : cases) {
        const std::string path = dir.file("case" + std::to_string(n++) + ".tvr");
        c.make(path);
        const ScannedLog log = scanLog(path);
        EXPECT_EQ(log.verdict, c.verdict) << c.name << ": " << log.problem;
        EXPECT_EQ(log.isRun(), log.problem.empty()) << c.name;
    }
}

TEST(ScannedLog, HashesTheFileBytesAndTimesTheRunFromTheModificationTime)
{
    TempDir dir;
    const std::string path = dir.file("run.tvr");
    writeRecords(path, charge(90));
    // Modified at 10:00:00 UTC: the run of 90 s started at 09:58:30.
    const std::int64_t modified = 1'700'000'000;
    const timespec times[2] = {{modified, 0}, {modified, 500'000'000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

    const ScannedLog log = scanLog(path);
    ASSERT_TRUE(log.isRun()) << log.problem;
    const std::vector<std::uint8_t> bytes = readBytes(path);
    EXPECT_EQ(log.hash, ContentHash::of(bytes.data(), bytes.size()));
    EXPECT_EQ(log.stamp.size, 90 * 64);
    EXPECT_EQ(log.stamp.modifiedNs, modified * 1'000'000'000 + 500'000'000);
    EXPECT_EQ(log.endTime, modified);
    EXPECT_EQ(log.startTime, modified - 90);
    EXPECT_EQ(log.figures.records, 90);
}

} // namespace
