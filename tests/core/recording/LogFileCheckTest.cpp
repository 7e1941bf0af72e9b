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
    const char* describes; // "" when the file looks like a recording
};

TEST(LogFileCheck, TellsWhatIsOddAboutAFile)
{
    const Shape shapes[] = {
        {"empty, as start leaves it", {}, 0, 0, 0, ""},
        {"a recording", {1, 2, 3, 4}, 0, 0, 0, ""},
        {"a gap", {1, 2, 4, 5}, 0, 3, 4, "Record 3 is stamped 4 where a recording has 3."},
        {"a recording that starts late", {41, 42}, 0, 1, 41, "Record 1 is stamped 41 where a recording has 1."},
        {"a later mismatch is not the first", {1, 7, 9}, 0, 2, 7, "Record 2 is stamped 7 where a recording has 2."},
        {"a picture's signature bytes as a stamp", {1196314761}, 0, 1, 1196314761,
         "Record 1 is stamped 1196314761 where a recording has 1."},
        {"only a fragment", {}, 63, 0, 0,
         "The file ends in a fragment of 63 bytes after 0 whole records; the fragment is not shown."},
        {"one byte too many", {1}, 1, 0, 0,
         "The file ends in a fragment of 1 byte after 1 whole record; the fragment is not shown."},
        {"both", {2}, 10, 1, 2,
         "Record 1 is stamped 2 where a recording has 1. The file ends in a fragment of 10 bytes after 1 whole "
         "record; the fragment is not shown."},
    };
    for (const Shape& s : shapes) {
        LogFileCheck check;
        for (std::int32_t stamp : s.stamps)
            check.take(stampedRecord(stamp));
        check.finish(s.trailingBytes);
        EXPECT_EQ(check.records(), static_cast<std::int64_t>(s.stamps.size())) << s.name;
        EXPECT_EQ(check.firstBadPosition(), s.firstBadPosition) << s.name;
        EXPECT_EQ(check.firstBadStamp(), s.firstBadStamp) << s.name;
        EXPECT_EQ(check.trailingBytes(), s.trailingBytes) << s.name;
        EXPECT_EQ(check.looksLikeRecording(), std::string(s.describes).empty()) << s.name;
        EXPECT_EQ(check.describe(), s.describes) << s.name;
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
