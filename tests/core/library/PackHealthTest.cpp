// A pack's trend and health warnings over made-up histories that cross each
// threshold, and some that stay just inside.
#include "library/PackHealth.h"
#include "library/PackTrend.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using Kind = HealthWarning::Kind;
constexpr std::int32_t kLithium = 1;
constexpr std::int32_t kNiMH = 132;

struct Run {
    double capacity;
    std::optional<double> endSpread = std::nullopt;
    std::optional<double> temperature = std::nullopt;
    RunFigures::Mode mode = RunFigures::Mode::Charge;
    std::int32_t type = kLithium;
};

std::vector<PackRun> history(const std::vector<Run>& runs)
{
    std::vector<PackRun> out;
    for (const Run& r : runs) {
        PackRun p;
        p.id = static_cast<std::int64_t>(out.size()) + 1;
        p.startTime = 1'700'000'000 + p.id * 86400;
        p.figures.capacity = r.capacity;
        p.figures.integratedCapacity = r.capacity;
        p.figures.energy = r.capacity * 11.1 / 1000;
        p.figures.endSpread = r.endSpread;
        p.figures.peakTemperature = r.temperature;
        p.figures.mode = r.mode;
        p.figures.batteryType = r.type;
        out.push_back(p);
    }
    return out;
}

PackInfo pack(std::optional<double> nominal = std::nullopt, PackThresholds thresholds = {})
{
    PackInfo p;
    p.name = "3S 2200 #2";
    p.nominalCapacity = nominal;
    p.thresholds = thresholds;
    return p;
}

PackThresholds with(std::optional<double> PackThresholds::*field, double value)
{
    PackThresholds t;
    t.*field = value;
    return t;
}

struct Case {
    const char* name;
    PackInfo pack;
    std::vector<Run> runs;
    std::multiset<Kind> expected;
};

constexpr auto D = RunFigures::Mode::Discharge;

TEST(PackHealth, WarnsExactlyWhereAHistoryCrossesAThreshold)
{
    const std::vector<Case> cases = {
        {"a healthy pack", pack(), {{2200, 8, 30}, {2210, 9, 31}, {2190, 8, 30}, {2180, 9, 32}, {2195, 10, 31}}, {}},
        {"capacity faded below 80 % of the first charges",
         pack(), {{2200}, {2210}, {2190}, {2000}, {1700}, {1690}}, {Kind::Capacity}},
        {"one partial charge among the last does not speak for the pack",
         pack(), {{2200}, {2200}, {2200}, {2150}, {900}, {2140}}, {}},
        {"below 80 % of the nominal capacity", pack(2200), {{1500}, {1600}}, {Kind::Capacity}},
        {"exactly 80 % of the nominal capacity is not below it", pack(2200), {{1760}}, {}},
        {"a single run has no first runs to fall behind", pack(), {{500}}, {}},
        {"discharges are compared with discharges",
         pack(),
         {{2200}, {2100, {}, {}, D}, {2200}, {2090, {}, {}, D}, {2200}, {2110, {}, {}, D}, {2190}, {1500, {}, {}, D},
          {1500, {}, {}, D}, {1500, {}, {}, D}},
         {Kind::Capacity}},
        {"a chosen share of 90 %", pack(2200, with(&PackThresholds::capacityShare, 90)), {{1900}}, {Kind::Capacity}},
        {"end spread above 30 mV after the last charge", pack(), {{2200, 12}, {2200, 31}}, {Kind::EndSpread}},
        {"end spread of exactly 30 mV", pack(), {{2200, 12}, {2200, 30}}, {}},
        {"an earlier charge's spread is history", pack(), {{2200, 45}, {2200, 12}}, {}},
        {"a discharge's end spread is not a charge's", pack(), {{2200, 10}, {2100, 80, {}, D}}, {}},
        {"end spread grew at each of the last 4 charges, by 11 mV",
         pack(), {{2200, 4}, {2200, 5}, {2200, 8}, {2200, 12}, {2200, 16}}, {Kind::SpreadGrowth}},
        {"growth that fell back once", pack(), {{2200, 5}, {2200, 8}, {2200, 7}, {2200, 16}}, {}},
        {"growth of 3 mV is noise", pack(), {{2200, 5}, {2200, 6}, {2200, 7}, {2200, 8}}, {}},
        {"lithium above 45 degrees", pack(), {{2200, {}, 50}, {2200, {}, 46}}, {Kind::Temperature}},
        {"only the last run's temperature counts", pack(), {{2200, {}, 60}, {2200, {}, 40}}, {}},
        {"NiMH at 46 degrees is within its 50", pack(), {{2200, {}, 46, RunFigures::Mode::Charge, kNiMH}}, {}},
        {"NiMH above 50 degrees", pack(), {{2200, {}, 51, RunFigures::Mode::Charge, kNiMH}}, {Kind::Temperature}},
        {"NiMH spreads are not judged by default", pack(), {{2200, 80, {}, RunFigures::Mode::Charge, kNiMH}}, {}},
        {"NiMH with a spread threshold of its own", pack({}, with(&PackThresholds::endSpread, 50)),
         {{2200, 80, {}, RunFigures::Mode::Charge, kNiMH}}, {Kind::EndSpread}},
        {"everything at once",
         pack(2200), {{1500, 20, 30}, {1500, 25, 30}, {1500, 28, 30}, {1500, 35, 48}}, {Kind::Capacity, Kind::EndSpread,
                                                                                       Kind::SpreadGrowth, Kind::Temperature}},
    };
    for (const Case& c : cases) {
        const std::vector<PackRun> runs = history(c.runs);
        std::multiset<Kind> found;
        for (const HealthWarning& w : checkPack(c.pack, runs)) {
            found.insert(w.kind);
            EXPECT_FALSE(w.text.empty()) << c.name;
            EXPECT_EQ(w.runId, runs.back().id) << c.name << ": " << w.text;
        }
        EXPECT_EQ(found, c.expected) << c.name;
    }
}

TEST(PackHealth, ExplainsEveryThresholdWithWhereItCameFrom)
{
    const std::vector<PackRun> nimh = history({{2200, {}, {}, RunFigures::Mode::Charge, kNiMH}});
    const PackInfo chosen = pack(2200, with(&PackThresholds::temperature, 40));
    const std::vector<std::string> lines = explainThresholds(chosen, thresholdsFor(chosen.thresholds, packChemistry(nimh)));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find("80 % of the nominal 2200 mAh (default)"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("off (default"), std::string::npos) << lines[1];
    EXPECT_NE(lines[3].find("40° (set for this pack)"), std::string::npos) << lines[3];
}

TEST(PackTrend, ChangesAgainstTheFirstRunsOfTheSameMode)
{
    // Charges 2000, 2100, 2200 are the reference (mean 2100); a lone discharge is its own.
    const std::vector<PackRun> runs =
        history({{2000, 10}, {2100, 10}, {2200, 13}, {1800, 20, {}, D}, {1900, 17}, {1575, 31}});
    const PackTrend trend = packTrend(runs);
    ASSERT_EQ(trend.rows.size(), runs.size());
    EXPECT_EQ(trend.charges.runs, 3u);
    EXPECT_DOUBLE_EQ(trend.charges.capacity, 2100);
    ASSERT_TRUE(trend.charges.endSpread);
    EXPECT_DOUBLE_EQ(*trend.charges.endSpread, 11);
    EXPECT_EQ(trend.discharges.runs, 1u);

    const struct {
        bool reference;
        double capacityChange;
        double spreadChange;
    } expected[] = {{true, -100.0 / 21, -1}, {true, 0, -1}, {true, 100.0 / 21, 2},
                    {true, 0, 0},            {false, -200.0 / 21, 6}, {false, -25, 20}};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const TrendRow& row = trend.rows[i];
        EXPECT_EQ(row.run, &runs[i]);
        EXPECT_EQ(row.reference, expected[i].reference) << "run " << i + 1;
        ASSERT_TRUE(row.capacityChange && row.energyChange && row.endSpreadChange) << "run " << i + 1;
        EXPECT_NEAR(*row.capacityChange, expected[i].capacityChange, 1e-9) << "run " << i + 1;
        EXPECT_NEAR(*row.energyChange, expected[i].capacityChange, 1e-9) << "run " << i + 1;
        EXPECT_NEAR(*row.endSpreadChange, expected[i].spreadChange, 1e-9) << "run " << i + 1;
    }
}

TEST(PackTrend, TheFirstRunsAreUpToThreeAndNeverTheNewest)
{
    const std::size_t expected[] = {1, 1, 1, 2, 3, 3, 3};
    for (std::size_t n = 0; n < std::size(expected); ++n)
        EXPECT_EQ(firstRunCount(n), expected[n]) << n << " runs";
}

} // namespace
