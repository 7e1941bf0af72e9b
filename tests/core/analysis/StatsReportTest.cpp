// How the range figures are written for people and for scripts: numbers
// whatever the locale, "-" and null for what a range does not have, and
// JSON strings that stay valid whatever bytes a file name holds.
#include "analysis/StatsReport.h"

#include "SyntheticRun.h"

#include <gtest/gtest.h>

#include <algorithm>
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
        std::string text;
    } cases[] = {{1.2345, 2, "1.23"},
                 {-0.001, 2, "0.00"},
                 {1e6, 0, "1000000"},
                 {NAN, 3, "-"},
                 {-INFINITY, 1, "-"},
                 // Every digit of numbers far longer than a reading: V x I of two
                 // floats near their largest has 77 digits.
                 {0x1p255, 3, "57896044618658097711785492504343953926634992332820282019728792003956564819968.000"},
                 {-0x1p1000, 1, "-10715086071862673209484250490600018105614048117055336074437503883703510511249361"
                                  "22493198378815695858127594672917553146825187145285692314043598457757469857480393"
                                  "45677748242309854210746050623711418779541821530464749835819412673987675591655439"
                                  "46077062914571196477686542167660429831652624386837205668069376.0"}};
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

TEST(StatsReport, HugeReadingsKeepEveryDigitAndEveryRowItsOwnLine)
{
    const RunData run = runOf(records(3, [](int s) { return sampleRecord(s, 3e38f, 3e38f, s); }));
    const RangeStats s = rangeStats(run, 0, 2);
    const std::string text = statsText("run.tvr", s);

    const std::string energy = "Energy: ";
    const std::size_t at = text.find(energy);
    ASSERT_NE(at, std::string::npos) << text;
    const double written = std::stod(text.substr(at + energy.size()));
    EXPECT_NEAR(written / s.energy, 1.0, 1e-12) << text;

    // The table: its heading and one line per quantity the run has.
    std::size_t rows = 0;
    for (std::size_t t = 0; t < kTraceCount; ++t)
        rows += s.traces[t].shown;
    const std::string table = text.substr(text.find("\nquantity") + 1);
    EXPECT_EQ(static_cast<std::size_t>(std::count(table.begin(), table.end(), '\n')), rows + 1) << table;
}

} // namespace
