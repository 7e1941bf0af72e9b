// How the range figures are written for people and for scripts: numbers
// whatever the locale, "-" and null for what a range does not have, and
// JSON strings that stay valid whatever bytes a file name holds.
#include "analysis/StatsReport.h"

#include "SyntheticRun.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace {

TEST(StatsReport, NumbersAreWrittenTheSameInEveryLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // may be missing; then "C" is tested twice
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {{1.2345, 2, "1.23"}, {-0.001, 2, "0.00"}, {1e6, 0, "1000000"}, {NAN, 3, "-"}, {-INFINITY, 1, "-"}};
    for (const auto& c : cases)
        EXPECT_EQ(formatValue(c.value, c.decimals), c.text) << c.value;
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(StatsReport, JsonStringsEscapeQuotesControlsAndBrokenUtf8)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"run.tvr", "\"run.tvr\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"tab\there\n", "\"tab\\u0009here\\u000a\""},
        {"Ladung \xC3\xBC.tvr", "\"Ladung \xC3\xBC.tvr\""},
        {"bad \xFF byte", "\"bad \\ufffd byte\""},
        {"cut \xE2\x82", "\"cut \\ufffd\\ufffd\""},
        {"overlong \xC0\xAF", "\"overlong \\ufffd\\ufffd\""},
        {"surrogate \xED\xA0\x80", "\"surrogate \\ufffd\\ufffd\\ufffd\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jsonString(c.in), c.out);
}

TEST(StatsReport, TextAndJsonCarryEveryFigureOfTheRange)
{
    const RunData run = runOf(records(3601, [](int s) {
        MeasurementRecord r = sampleRecord(s, 16.0f, 3.5f, s);
        r.cellVoltage[0] = 4.0f;
        r.cellVoltage[1] = 4.01f;
        return r;
    }));
    const RangeStats s = rangeStats(run, 0, 3600);
    const std::string text = statsText("run.tvr", s);
    for (const char* line : {"range: 0:00:01 to 1:00:01 (records 1 to 3601)", "Duration: 1:00:00",
                             "Delta mAh (capacity field): 3600 mAh", "Delta mAh (integrated current): 3500.0 mAh",
                             "Energy: 56.000 Wh", "Mean current: 3.500 A", "Largest cell spread: 10 mV",
                             "Largest cell spread at: 0:00:01"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    const std::string json = statsJson("run.tvr", s);
    for (const char* part : {"\"duration_s\": 3600", "\"energy_Wh\": 56,", "\"mean_current_A\": 3.5,",
                             "\"cell2_V\": {\"start\": 4.01", "\"temperature_deg\"", "\"spread_mV\""})
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
    EXPECT_EQ(json.find("cell3"), std::string::npos);
    EXPECT_EQ(json.find("nan"), std::string::npos);
}

} // namespace
