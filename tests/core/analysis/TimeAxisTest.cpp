// The time axis and the view over it: h:mm:ss ticks on steps a person counts
// in, times typed on the command line, axis fitting, and zoom, pan, box and
// reset keeping the view inside the runs.
#include "analysis/TimeAxis.h"
#include "analysis/TimeView.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(TimeAxis, TicksFallOnRoundStepsLabelledInHoursMinutesSeconds)
{
    const struct {
        double from, to;
        int most;
        std::vector<std::string> labels;
    } cases[] = {
        {1, 10, 10, {"0:00:01", "0:00:02", "0:00:03", "0:00:04", "0:00:05", "0:00:06", "0:00:07", "0:00:08",
                     "0:00:09", "0:00:10"}},
        {1, 7200, 8, {"0:15:00", "0:30:00", "0:45:00", "1:00:00", "1:15:00", "1:30:00", "1:45:00", "2:00:00"}},
        {1, 86400, 8, {"3:00:00", "6:00:00", "9:00:00", "12:00:00", "15:00:00", "18:00:00", "21:00:00", "24:00:00"}},
        {-30, 30, 3, {"-0:00:30", "0:00:00", "0:00:30"}},
        {100, 100, 5, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> labels;
        for (const TimeTick& t : timeTicks(c.from, c.to, c.most))
            labels.push_back(t.label);
        EXPECT_EQ(labels, c.labels) << c.from << ".." << c.to;
    }
    // A very long stretch still gets at most the ticks asked for.
    EXPECT_LE(timeTicks(0, 1e9, 6).size(), 6u);
    EXPECT_TRUE(timeTicks(0, INFINITY, 6).empty());
}

TEST(TimeAxis, ClockTextsAreParsedOrRefused)
{
    const struct {
        const char* text;
        std::optional<double> seconds;
    } cases[] = {
        {"0:10:00", 600}, {"1:00:00", 3600}, {"25:00:01", 90001}, {"10:05", 605}, {"90", 90},
        {"", {}},         {"1:60:00", {}},   {"1:5:00", {}},      {"-1:00", {}}, {"1:00:00:00", {}},
        {"1.5", {}},      {"a:00", {}},      {"1::00", {}},       {"99999999999999:00", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseClock(c.text), c.seconds) << '"' << c.text << '"';
}

TEST(TimeAxis, AxesFitTheirValuesWithRoom)
{
    const struct {
        double lo, hi, wantLo, wantHi;
    } cases[] = {
        {0, 10, -0.5, 10.5}, {4, 4, 3.8, 4.2}, {0, 0, -1, 1}, {-2, -2, -2.1, -1.9}, {NAN, 1, 0, 1}, {5, 1, 0, 1},
    };
    for (const auto& c : cases) {
        const AxisSpan s = fitAxis(c.lo, c.hi);
        EXPECT_NEAR(s.minimum, c.wantLo, 1e-12) << c.lo << ".." << c.hi;
        EXPECT_NEAR(s.maximum, c.wantHi, 1e-12) << c.lo << ".." << c.hi;
    }
}

TEST(TimeView, ZoomPanBoxAndResetStayInsideTheRuns)
{
    enum Op { Zoom, Pan, Box, Reset, Extent };
    const struct {
        const char* name;
        Op op;
        double a, b;
        double from, to;
    } steps[] = {
        {"whole run at first", Extent, 1, 3600, 1, 3600},
        {"zoom in at the middle keeps the middle", Zoom, 1800.5, 0.5, 900.75, 2700.25},
        {"zoom in at the left edge keeps the edge", Zoom, 900.75, 0.5, 900.75, 1800.5},
        {"pan right", Pan, 100, 0, 1000.75, 1900.5},
        {"pan stops at the end", Pan, 1e6, 0, 2700.25, 3600},
        {"pan stops at the start", Pan, -1e6, 0, 1, 900.75},
        {"zoom out past the whole run shows it all", Zoom, 500, 100, 1, 3600},
        {"box", Box, 2000, 1000, 1000, 2000},
        {"box narrower than the shortest span widens", Box, 10, 11, 8.5, 12.5},
        {"zoom cannot go below the shortest span", Zoom, 10, 0.01, 8.5, 12.5},
        {"a growing run does not move a zoomed view", Extent, 1, 7200, 8.5, 12.5},
        {"reset shows everything", Reset, 0, 0, 1, 7200},
        {"and then follows the growing run", Extent, 1, 7300, 1, 7300},
        {"one sample still gets an axis", Extent, 5, 5, 5, 9},
    };
    TimeView view;
    for (const auto& s : steps) {
        switch (s.op) {
        case Zoom: view.zoom(s.a, s.b); break;
        case Pan: view.pan(s.a); break;
        case Box: view.show(s.a, s.b); break;
        case Reset: view.reset(); break;
        case Extent: view.setExtent(s.a, s.b); break;
        }
        EXPECT_NEAR(view.from(), s.from, 1e-9) << s.name;
        EXPECT_NEAR(view.to(), s.to, 1e-9) << s.name;
    }
}

} // namespace
