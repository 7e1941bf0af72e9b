// How a run is written for people and for CSV: quoting, local times with
// their offset, and figures a run does not have.
#include "library/RunColumns.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

// Sets TZ for one test and puts the old value back.
class TimeZone {
public:
    explicit TimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone()
    {
        if (old_.empty())
            ::unsetenv("TZ");
        else
            ::setenv("TZ", old_.c_str(), 1);
        ::tzset();
    }

private:
    std::string old_;
};

TEST(RunColumns, QuotesCsvFieldsOnlyWhenTheyNeedIt)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"/logs/a.tvr", "/logs/a.tvr"},
        {"3S 2200, #2", "\"3S 2200, #2\""},
        {"the \"good\" pack", "\"the \"\"good\"\" pack\""},
        {"two\nlines", "\"two\nlines\""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(csvField(c.in), c.out) << c.in;
}

TEST(RunColumns, TimesAreLocalWithTheirOffset)
{
    const std::int64_t winter = 1'700'000'000; // 2023-11-14 22:13:20 UTC
    const std::int64_t summer = 1'690'000'000; // 2023-07-22 04:26:40 UTC
    const struct {
        const char* zone;
        std::int64_t when;
        const char* iso;
        const char* local;
    } cases[] = {
        {"UTC", winter, "2023-11-14T22:13:20+00:00", "2023-11-14 22:13"},
        {"Europe/Berlin", winter, "2023-11-14T23:13:20+01:00", "2023-11-14 23:13"},
        {"Europe/Berlin", summer, "2023-07-22T06:26:40+02:00", "2023-07-22 06:26"},
        {"America/St_Johns", winter, "2023-11-14T18:43:20-03:30", "2023-11-14 18:43"},
    };
    for (const auto& c : cases) {
        TimeZone zone(c.zone);
        EXPECT_EQ(isoTime(c.when), c.iso) << c.zone;
        EXPECT_EQ(localTime(c.when), c.local) << c.zone;
    }
}

TEST(RunColumns, FiguresARunLacksAreDashesForPeopleAndEmptyInCsv)
{
    LibraryRun run;
    run.id = 7;
    run.figures.capacity = 2150.4;
    run.figures.energy = 23.3749;
    run.figures.endCells[0] = 4.1996;
    run.packName = "3S, #2";
    const struct {
        RunColumn column;
        const char* text;
        const char* csv;
    } cases[] = {
        {RunColumn::Id, "7", "7"},
        {RunColumn::Capacity, "2150", "2150.4"},
        {RunColumn::Energy, "23.37", "23.375"},
        {RunColumn::Cell1, "4.200", "4.1996"},
        {RunColumn::Cell2, "-", ""},
        {RunColumn::PeakTemperature, "-", ""},
        {RunColumn::EndSpread, "-", ""},
        {RunColumn::Pack, "3S, #2", "\"3S, #2\""},
        {RunColumn::File, "(no file)", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(runText(run, c.column), c.text) << runColumnInfo(c.column).key;
        EXPECT_EQ(runCsv(run, c.column), c.csv) << runColumnInfo(c.column).key;
    }
}

} // namespace
