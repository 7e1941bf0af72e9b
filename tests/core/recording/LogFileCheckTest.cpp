// Whether a log file looks like one recording (stamps 1, 2, 3, ... and no
// trailing fragment), what the notice then says, and that replay reports it
// for every record it reads without refusing the file.
#include "recording/LogFileCheck.h"
#include "recording/LogReplay.h"

#include "FakeRecordingHost.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

MeasurementRecord stampedRecord(std::int32_t seconds)
{
    MeasurementRecord r;
    r.elapsedSeconds = seconds;
    r.voltage = 12.0f;
    return r;
}

struct Shape {
    const char* name;
    std::vector<std::int32_t> stamps;
    int trailingBytes;
    std::int64_t firstBadPosition;
    std::int32_t firstBadStamp;
    std::int64_t firstFallPosition;
    std::int64_t missingSeconds;
    std::string describes; // "" when the file looks like a recording
};

std::vector<std::int32_t> stampsWithGap(std::int32_t lastBefore, std::int32_t firstAfter, std::int32_t last)
{
    std::vector<std::int32_t> out;
    for (std::int32_t s = 1; s <= lastBefore; ++s)
        out.push_back(s);
    for (std::int32_t s = firstAfter; s <= last; ++s)
        out.push_back(s);
    return out;
}

constexpr const char* kLost = " (the line was lost during the recording).";
constexpr const char* kFalls = ": the stamps do not rise as one recording's do.";

TEST(LogFileCheck, TellsWhatIsOddAboutAFile)
{
    const std::string lost = kLost;
    const std::string falls = kFalls;
    const std::string fragment10 = " The file ends in a fragment of 10 bytes after 1 whole record; the fragment is not shown.";
    const Shape shapes[] = {
        {"empty, as start leaves it", {}, 0, 0, 0, 0, 0, ""},
        {"a recording", {1, 2, 3, 4}, 0, 0, 0, 0, 0, ""},
        {"a second lost", {1, 2, 4, 5}, 0, 3, 4, 0, 1, ("Second 3 is missing" + lost)},
        {"a reconnecting recorder's gap", stampsWithGap(40, 50, 60), 0, 41, 50, 0, 9,
         ("Seconds 41 to 49 are missing" + lost)},
        {"a recording that starts late", {41, 42}, 0, 1, 41, 0, 40, ("Seconds 1 to 40 are missing" + lost)},
        {"gaps after the first are counted", {1, 7, 9, 20}, 0, 2, 7, 0, 16,
         ("Seconds 2 to 6 are missing, and 11 more in 2 later gaps" + lost)},
        {"stamps that fall", {1, 2, 3, 9, 5}, 0, 4, 9, 5, 5,
         ("Record 5 is stamped 5, not after the 9 before it" + falls)},
        {"a stamp repeated", {1, 2, 2, 3}, 0, 3, 2, 3, 0, ("Record 3 is stamped 2, not after the 2 before it" + falls)},
        {"a first stamp of 0", {0, 1}, 0, 1, 0, 1, 0, ("Record 1 is stamped 0 where a recording starts at 1" + falls)},
        {"a negative stamp", {-5}, 0, 1, -5, 1, 0, ("Record 1 is stamped -5 where a recording starts at 1" + falls)},
        {"only a fragment", {}, 63, 0, 0, 0, 0,
         "The file ends in a fragment of 63 bytes after 0 whole records; the fragment is not shown."},
        {"one byte too many", {1}, 1, 0, 0, 0, 0,
         "The file ends in a fragment of 1 byte after 1 whole record; the fragment is not shown."},
        {"both", {2}, 10, 1, 2, 0, 1, ("Second 1 is missing" + lost + fragment10)},
    };
    for (const Shape& s : shapes) {
        LogFileCheck check;
        for (std::int32_t stamp : s.stamps)
            check.take(stampedRecord(stamp));
        check.finish(s.trailingBytes);
        EXPECT_EQ(check.records(), static_cast<std::int64_t>(s.stamps.size())) << s.name;
        EXPECT_EQ(check.firstBadPosition(), s.firstBadPosition) << s.name;
        EXPECT_EQ(check.firstBadStamp(), s.firstBadStamp) << s.name;
        EXPECT_EQ(check.firstFallPosition(), s.firstFallPosition) << s.name;
        EXPECT_EQ(check.missingSeconds(), s.missingSeconds) << s.name;
        EXPECT_EQ(check.trailingBytes(), s.trailingBytes) << s.name;
        EXPECT_EQ(check.looksLikeRecording(), s.describes.empty()) << s.name;
        EXPECT_EQ(check.describe(), s.describes) << s.name;

        // In blocks, as replay feeds it, the same.
        std::vector<MeasurementRecord> records;
        for (std::int32_t stamp : s.stamps)
            records.push_back(stampedRecord(stamp));
        LogFileCheck blocks;
        blocks.take(records.data(), records.size() / 2);
        blocks.take(records.data() + records.size() / 2, records.size() - records.size() / 2);
        blocks.finish(s.trailingBytes);
        EXPECT_EQ(blocks.describe(), check.describe()) << s.name;
    }
}

TEST(LogFileCheck, ReplayChecksEveryRecordAndStillReplaysOddFiles)
{
    TempDir dir;
    const std::vector<std::uint8_t> fragment(63, 0x89);
    struct Case {
        const char* name;
        std::vector<std::int32_t> stamps;
        std::vector<std::uint8_t> tail;
        std::int64_t firstBadPosition;
        int historyCount;
    } cases[] = {
        {"recording", {1, 2, 3}, {}, 0, 3},
        {"63-byte file", {}, fragment, 0, 0},
        {"stamps out of order", {1, 2, 3, 9, 5}, {}, 4, 5},
    };
    for (const Case& c : cases) {
        std::vector<MeasurementRecord> records;
        for (std::int32_t stamp : c.stamps)
            records.push_back(stampedRecord(stamp));
        writeRecords(dir.file("f.tvr"), records, c.tail);

        ChartState state;
        SharedWords words;
        FakeRecordingHost host;
        SampleHistory history(state, words, host);
        const ReplayReport report = readLogFile(dir.file("f.tvr"), history);
        EXPECT_TRUE(report.error.empty()) << c.name;
        EXPECT_EQ(report.check.records(), static_cast<std::int64_t>(c.stamps.size())) << c.name;
        EXPECT_EQ(report.check.firstBadPosition(), c.firstBadPosition) << c.name;
        EXPECT_EQ(report.check.trailingBytes(), static_cast<int>(c.tail.size())) << c.name;
        EXPECT_EQ(state.historyCount, c.historyCount) << c.name << ": replayed as it stands";
    }
}

} // namespace
