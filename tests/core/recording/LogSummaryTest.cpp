// What `trelvane-log` reports about a file: counts, stamps and their first gap,
// the trailing fragment, value extents, the replay state; and the CSV lines.
#include "recording/LogCsv.h"
#include "recording/LogProgress.h"
#include "recording/LogSummary.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <filesystem>

#include <unistd.h>

namespace {

MeasurementRecord stamped(int seconds)
{
    MeasurementRecord r;
    r.elapsedSeconds = seconds;
    r.voltage = 12.0f;
    r.current = 2.0f;
    r.temperature = 25.0f;
    r.capacity = seconds;
    r.cellVoltage[0] = 4.0f;
    r.cellVoltage[1] = 4.1f;
    r.chargeMode = 2;
    return r;
}

TEST(LogSummary, CountsStampsExtentsAndTheReplayState)
{
    TempDir dir;
    std::vector<MeasurementRecord> records;
    for (int s = 1; s <= 700; ++s)
        records.push_back(stamped(s));
    records[10].voltage = 3.5f;
    records[20].voltage = 16.25f;
    records[30].cellVoltage[1] = std::nanf("");
    records[40].cellVoltage[7] = 1.5f;
    writeRecords(dir.file("run.tvr"), records, std::vector<std::uint8_t>(5, 1));

    LogSummary s;
    ASSERT_TRUE(s.read(dir.file("run.tvr"))) << s.error();
    EXPECT_EQ(s.records(), 700);
    EXPECT_EQ(s.trailingBytes(), 5);
    EXPECT_EQ(s.firstStamp(), 1);
    EXPECT_EQ(s.lastStamp(), 700);
    EXPECT_EQ(s.firstGapPosition(), 0);

    const struct {
        int field;
        double minimum, maximum;
    } extents[] = {
        {0, 3.5, 16.25}, {1, 2.0, 2.0}, {2, 1.0, 700.0}, {3, 25.0, 25.0}, {4, 4.0, 4.0},
        {5, 4.1f, 4.1f}, {11, 0.0, 1.5},
    };
    for (const auto& e : extents) {
        EXPECT_TRUE(s.extent(e.field).any) << LogSummary::fieldName(e.field);
        EXPECT_EQ(s.extent(e.field).minimum, e.minimum) << LogSummary::fieldName(e.field);
        EXPECT_EQ(s.extent(e.field).maximum, e.maximum) << LogSummary::fieldName(e.field);
    }

    EXPECT_EQ(s.chart().timeSpan, 1280);
    EXPECT_EQ(s.chart().thinningStep, 4);
    EXPECT_EQ(s.chart().historyCount, 175);
    EXPECT_EQ(s.chart().range(Quantity::Voltage).maximum, static_cast<float>(16.25 + 0.3));
    EXPECT_EQ(s.cellsStatus(), CellsStatus::Discharge);
}

TEST(LogSummary, FindsTheFirstRecordOutOfSequence)
{
    const struct {
        const char* name;
        std::vector<int> stamps;
        std::int64_t position;
        int found;
    } cases[] = {
        {"whole run", {1, 2, 3, 4}, 0, 0},
        {"a missed second", {1, 2, 4, 5, 7}, 3, 4},
        {"does not start at 1", {3, 4, 5}, 1, 3},
        {"repeated stamp", {1, 2, 2, 3}, 3, 2},
    };
    TempDir dir;
    for (const auto& c : cases) {
        std::vector<MeasurementRecord> records;
        for (int stamp : c.stamps)
            records.push_back(stamped(stamp));
        writeRecords(dir.file("gaps.tvr"), records);
        LogSummary s;
        ASSERT_TRUE(s.read(dir.file("gaps.tvr"))) << c.name;
        EXPECT_EQ(s.firstGapPosition(), c.position) << c.name;
        if (c.position != 0) {
            EXPECT_EQ(s.firstGapStamp(), c.found) << c.name;
        }
    }
}

TEST(LogSummary, EmptyFileHasNoRecordsAndNoExtents)
{
    TempDir dir;
    writeRecords(dir.file("empty.tvr"), {});
    LogSummary s;
    ASSERT_TRUE(s.read(dir.file("empty.tvr")));
    EXPECT_EQ(s.records(), 0);
    for (int f = 0; f < LogSummary::kFieldCount; ++f)
        EXPECT_FALSE(s.extent(f).any) << f;
    EXPECT_EQ(s.chart().timeSpan, 10);
    EXPECT_EQ(s.chart().xScale, 64);
}

TEST(LogSummary, UnreadableFilesGiveTheSystemReason)
{
    TempDir dir;
    LogSummary missing;
    EXPECT_FALSE(missing.read(dir.file("none.tvr")));
    EXPECT_EQ(missing.error(), std::strerror(ENOENT));
    LogSummary folder;
    EXPECT_FALSE(folder.read(dir.path()));
    EXPECT_EQ(folder.error(), std::strerror(EISDIR));
}

class TruncatingProgress : public LogProgress {
public:
    TruncatingProgress(std::string path, off_t length) : path_(std::move(path)), length_(length) {}
    bool advance(std::int64_t, std::int64_t) override
    {
        if (!done_) {
            EXPECT_EQ(::truncate(path_.c_str(), length_), 0);
        }
        done_ = true;
        return true;
    }

private:
    std::string path_;
    off_t length_;
    bool done_ = false;
};

TEST(LogSummary, AFileThatGetsShorterWhileReadIsAFailureNotASummaryOfAPart)
{
    TempDir dir;
    const std::string path = dir.file("shrinking.tvr");
    std::vector<MeasurementRecord> records;
    for (int s = 1; s <= 5000; ++s)
        records.push_back(stamped(s));
    writeRecords(path, records);
    TruncatingProgress shrink(path, 3000 * 64);
    LogSummary s;
    EXPECT_FALSE(s.read(path, &shrink));
    EXPECT_EQ(s.error(), std::string(LogSummary::kShrank) + ": 3000 of its 5000 records are left");
}

TEST(LogCsv, HeaderNamesEveryColumnInOrder)
{
    EXPECT_EQ(LogCsv::header(), "elapsedSeconds,time,voltage,current,capacity,temperature,"
                                "cell1,cell2,cell3,cell4,cell5,cell6,cell7,cell8,batteryType,chargeMode,auxValue");
}

bool sameBitsAsFloat(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(LogCsv, RowKeepsEveryFloatExactlyAndEveryFieldInPlace)
{
    MeasurementRecord r;
    r.elapsedSeconds = 3725;
    r.voltage = 12.6f;
    r.current = -1.5f;
    r.capacity = -20;
    r.temperature = 31.0f;
    const float cells[8] = {3.7f, 4.2f, 1.1f, 0.1f, -0.0f, 25.0f, 0.5f, 0.0f};
    std::copy(std::begin(cells), std::end(cells), r.cellVoltage);
    r.batteryType = 132;
    r.chargeMode = 1;
    r.auxValue = 0.1f;
    const std::string row = LogCsv::row(r);
    EXPECT_EQ(row, "3725,1:02:05,12.6000004,-1.5,-20,31,3.70000005,4.19999981,1.10000002,0.100000001,-0,25,"
                   "0.5,0,132,1,0.100000001");

    // Every float column parses back to the very same bits.
    std::vector<std::string> columns;
    std::size_t start = 0;
    for (std::size_t comma; (comma = row.find(',', start)) != std::string::npos; start = comma + 1)
        columns.push_back(row.substr(start, comma - start));
    columns.push_back(row.substr(start));
    ASSERT_EQ(columns.size(), 17u);
    for (int c = 0; c < 8; ++c)
        EXPECT_TRUE(sameBitsAsFloat(std::strtof(columns[6 + c].c_str(), nullptr), r.cellVoltage[c])) << c;
}

TEST(LogCsv, ClockShowsHoursMinutesSeconds)
{
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0:00:00"}, {59, "0:00:59"}, {60, "0:01:00"}, {3599, "0:59:59"},
        {3600, "1:00:00"}, {360000, "100:00:00"}, {-5, "-0:00:05"},
        {std::numeric_limits<std::int32_t>::min(), "-596523:14:08"},
    };
    for (auto [seconds, text] : cases)
        EXPECT_EQ(LogCsv::clock(seconds), text) << seconds;
}

TEST(LogCsv, DecimalPointStaysAPointUnderACommaLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    MeasurementRecord r;
    r.voltage = 12.5f;
    const std::string row = LogCsv::row(r);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(row, "0,0:00:00,12.5,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
}

} // namespace
