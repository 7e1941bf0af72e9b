// The numbers and texts the charts draw: time labels, value labels, the
// vertical mapping with its single-precision scale, the detail read-out, and
// how empty ranges and wild values are kept to safe coordinates.
#include "charts/ChartMath.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

struct TimeLabelCase {
    int timeSpan;
    int index;
    const char* text;
};

TEST(ChartMathTimeLabel, FollowsTheSpanInTenSteps)
{
    const TimeLabelCase cases[] = {
        {10, 0, "00:00:00"},  {10, 1, "00:00:01"},     {10, 10, "00:00:10"},
        {20, 1, "00:00:02"},  {20, 10, "00:00:20"},    {5120, 1, "00:08:32"},
        {5120, 10, "01:25:20"}, {655360, 10, "182:02:40"}, {655360, 5, "91:01:20"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChartMath::timeLabel(c.timeSpan, c.index), c.text) << c.timeSpan << " #" << c.index;
}

TEST(ChartMathTimeLabel, LargestSpanDoesNotOverflow)
{
    EXPECT_EQ(ChartMath::timeLabel(std::numeric_limits<int>::max(), 10), "596523:14:00");
}

TEST(ChartMathValueLabels, SmallChartStepsOfOneFifth)
{
    const char* expected[] = {"12.00", "12.10", "12.20", "12.30", "12.40", "12.50"};
    for (int i = 0; i <= 5; ++i)
        EXPECT_EQ(ChartMath::formatValue(ChartMath::valueLabelValue(12.0f, 12.5f, i, 0.2f)), expected[i]) << i;
}

TEST(ChartMathValueLabels, DetailChartStepsOfOneTenth)
{
    const char* expected[] = {"12.00", "12.06", "12.12", "12.18", "12.24", "12.30",
                              "12.36", "12.42", "12.48", "12.54", "12.60"};
    for (int i = 0; i <= 10; ++i)
        EXPECT_EQ(ChartMath::formatValue(ChartMath::valueLabelValue(12.0f, 12.6f, i, 0.1f)), expected[i]) << i;
}

TEST(ChartMathValueLabels, EmptyRangeRepeatsTheOneValue)
{
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(ChartMath::formatValue(ChartMath::valueLabelValue(0.0f, 0.0f, i, 0.1f)), "0.00");
        EXPECT_EQ(ChartMath::formatValue(ChartMath::valueLabelValue(1005.0f, 1005.0f, i, 0.2f)), "1005.00");
    }
}

TEST(ChartMathFormat, KeepsTheDecimalPointUnderACommaLocale)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    bool comma = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name) && std::string(std::localeconv()->decimal_point) == ",") {
            comma = true;
            break;
        }
    const std::string a = ChartMath::formatValue(12.3);
    const std::string b = ChartMath::formatValue(1234.5);
    const std::string c = ChartMath::formatValue(-0.005);
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!comma)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(a, "12.30");
    EXPECT_EQ(b, "1234.50");
    EXPECT_EQ(c, "-0.01");
}

TEST(ChartMathFormat, NonFiniteValuesStillGiveText)
{
    EXPECT_FALSE(ChartMath::formatValue(std::nan("")).empty());
    EXPECT_FALSE(ChartMath::formatValue(std::numeric_limits<double>::infinity()).empty());
    EXPECT_EQ(ChartMath::formatValue(1e30).substr(0, 5), "10000");
}

struct MappingCase {
    const char* what;
    double value;
    float minimum;
    float maximum;
    int top;
    int bottom;
    int y;
};

TEST(ChartMathValueToY, TruncatesWithTheSinglePrecisionScale)
{
    const MappingCase cases[] = {
        {"voltage mid", 12.25f, 12.0f, 12.5f, 10, 110, 60},
        {"voltage top", 12.5f, 12.0f, 12.5f, 10, 110, 10},
        {"capacity 10 lands a row high", 10, 5.0f, 15.0f, 10, 110, 59},
        {"capacity 5 lands a row high", 5, 5.0f, 15.0f, 10, 110, 109},
        {"capacity 0 below the plot", 0, 5.0f, 15.0f, 10, 110, 159},
        {"detail 12.3", 12.3f, 12.0f, 12.6f, 25, 625, 325},
        {"detail 12.6", 12.6f, 12.0f, 12.6f, 25, 625, 25},
        {"detail 12.0", 12.0f, 12.0f, 12.6f, 25, 625, 625},
        {"temperature 25 lands a row high", 25.0f, 20.0f, 30.0f, 25, 625, 324},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChartMath::valueToY(c.value, c.minimum, c.maximum, c.top, c.bottom), c.y) << c.what;
}

TEST(ChartMathValueToY, EmptyRangeIsAFlatLineThroughTheMiddle)
{
    for (double v : {0.0, 1005.0, -3.0, 1e30})
        EXPECT_EQ(ChartMath::valueToY(v, 1005.0f, 1005.0f, 10, 110), 60) << v;
    EXPECT_EQ(ChartMath::valueToY(0.0, 0.0f, 0.0f, 25, 625), 325);
}

TEST(ChartMathValueToY, WildValuesAndRangesStayInTheSafeRange)
{
    const double inf = std::numeric_limits<double>::infinity();
    const float finf = std::numeric_limits<float>::infinity();
    const float fnan = std::numeric_limits<float>::quiet_NaN();
    const int limit = ChartMath::kCoordinateLimit;
    EXPECT_EQ(ChartMath::valueToY(1e30, 12.0f, 12.5f, 10, 110), -limit);
    EXPECT_EQ(ChartMath::valueToY(-1e30, 12.0f, 12.5f, 10, 110), limit);
    EXPECT_EQ(ChartMath::valueToY(inf, 12.0f, 12.5f, 10, 110), -limit);
    EXPECT_EQ(ChartMath::valueToY(-inf, 12.0f, 12.5f, 10, 110), limit);
    EXPECT_EQ(ChartMath::valueToY(std::nan(""), 12.0f, 12.5f, 10, 110), 60);
    EXPECT_EQ(ChartMath::valueToY(12.0, fnan, 12.5f, 10, 110), 60);
    EXPECT_EQ(ChartMath::valueToY(12.0, 12.0f, finf, 10, 110), 60);
    EXPECT_EQ(ChartMath::valueToY(0.0, -3.4e38f, 3.4e38f, 10, 11), 10); // scale overflows float
    EXPECT_EQ(ChartMath::valueToY(12.0, 12.0f, 12.5f, 10, 10), 10);    // no plot height
}

TEST(ChartMathClamp, TruncatesTowardZeroWithinTheLimit)
{
    const int limit = ChartMath::kCoordinateLimit;
    const std::vector<std::pair<double, int>> cases = {
        {59.999, 59}, {-0.7, 0}, {-1.5, -1}, {1e9, limit}, {-1e9, -limit},
        {std::numeric_limits<double>::infinity(), limit}, {std::nan(""), 0},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(ChartMath::clampCoordinate(in), out) << in;
}

TEST(ChartMathReadout, InvertsTheDetailMappingWithoutRoundingTheScale)
{
    EXPECT_EQ(ChartMath::formatValue(ChartMath::readoutValue(12.0f, 12.6f, 325, 25)), "12.30");
    EXPECT_EQ(ChartMath::formatValue(ChartMath::readoutValue(0.8f, 1.3f, 325, 25)), "1.05");
    EXPECT_EQ(ChartMath::formatValue(ChartMath::readoutValue(12.0f, 12.6f, 25, 25)), "12.60");
    EXPECT_EQ(ChartMath::formatValue(ChartMath::readoutValue(12.0f, 12.6f, 625, 25)), "12.00");
    EXPECT_EQ(ChartMath::formatValue(ChartMath::readoutValue(0.0f, 0.0f, 0, 25)), "0.00");
}

TEST(ChartMathReadout, EmptyRangeShowsTheOneValueAtAnyHeight)
{
    for (int cy : {0, 26, 325, 624})
        EXPECT_EQ(ChartMath::formatValue(ChartMath::readoutValue(1005.0f, 1005.0f, cy, 25)), "1005.00") << cy;
}

}

namespace {

using ChartMath::Pixel;

struct LineCase {
    const char* what;
    int x1, y1, x2, y2;
    std::vector<Pixel> pixels;
};

TEST(ChartMathLinePixels, PaintTheStartAndLeaveOutTheEndInEitherDirection)
{
    const LineCase cases[] = {
        {"rightwards", 2, 5, 6, 5, {{2, 5}, {3, 5}, {4, 5}, {5, 5}}},
        {"leftwards", 6, 5, 2, 5, {{6, 5}, {5, 5}, {4, 5}, {3, 5}}},
        {"downwards", 5, 2, 5, 5, {{5, 2}, {5, 3}, {5, 4}}},
        {"upwards", 5, 5, 5, 2, {{5, 5}, {5, 4}, {5, 3}}},
        {"diagonal", 1, 1, 4, 4, {{1, 1}, {2, 2}, {3, 3}}},
        {"shallow rising", 2, 4, 8, 1, {{2, 4}, {3, 4}, {4, 3}, {5, 3}, {6, 2}, {7, 2}}},
        {"steep falling leftwards", 5, 2, 2, 8, {{5, 2}, {5, 3}, {4, 4}, {4, 5}, {3, 6}, {3, 7}}},
        {"single step", 3, 3, 4, 3, {{3, 3}}},
        {"zero length", 3, 3, 3, 3, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChartMath::linePixels(c.x1, c.y1, c.x2, c.y2, 0, 0, 20, 20), c.pixels) << c.what;
}

TEST(ChartMathLinePixels, KeepOnlyThePartInsideTheBox)
{
    EXPECT_EQ(ChartMath::linePixels(-5, 1, 3, 1, 0, 0, 10, 10), (std::vector<Pixel>{{0, 1}, {1, 1}, {2, 1}}));
    EXPECT_EQ(ChartMath::linePixels(12, 1, 7, 1, 0, 0, 10, 10), (std::vector<Pixel>{{9, 1}, {8, 1}}));
    EXPECT_TRUE(ChartMath::linePixels(0, -3, 9, -3, 0, 0, 10, 10).empty());

    // A clamped far-away point: only the visible rows are walked.
    const auto steep = ChartMath::linePixels(100, -32767, 164, 60, 0, 0, 770, 130);
    ASSERT_EQ(steep.size(), 60u);
    EXPECT_EQ(steep.front().y, 0);
    EXPECT_EQ(steep.back(), (Pixel{164, 59}));
}

TEST(ChartMathLinePixels, ExtremeEndsNeitherOverflowNorWalkFar)
{
    const int lo = std::numeric_limits<int>::min();
    const int hi = std::numeric_limits<int>::max();
    const auto diagonal = ChartMath::linePixels(lo, lo, hi, hi, 0, 0, 10, 10);
    EXPECT_LE(diagonal.size(), 10u);
    for (const Pixel& p : diagonal)
        EXPECT_TRUE(p.x >= 0 && p.x < 10 && p.y >= 0 && p.y < 10);
    EXPECT_EQ(ChartMath::linePixels(hi, 5, lo, 5, 0, 0, 10, 10).size(), 10u);
}

}

namespace {

// The runs of a line, expanded back into pixels in drawing order.
std::vector<ChartMath::Pixel> pixelsOfRuns(int x1, int y1, int x2, int y2, int left, int top, int right, int bottom)
{
    std::vector<ChartMath::Pixel> pixels;
    const bool forwardX = x2 >= x1;
    const bool forwardY = y2 >= y1;
    ChartMath::forEachLineRun(x1, y1, x2, y2, left, top, right, bottom, [&](int l, int t, int r, int b) {
        EXPECT_TRUE(l == r || t == b) << "a run lies along a row or a column";
        for (int i = 0; i <= r - l; ++i)
            for (int j = 0; j <= b - t; ++j)
                pixels.push_back({forwardX ? l + i : r - i, forwardY ? t + j : b - j});
    });
    return pixels;
}

TEST(ChartMathLineRuns, SteppedRunsCoverExactlyThePixelsOfTheRule)
{
    // Fixed pseudo-random lines: short and long, every direction and slope,
    // coordinates up to the clamp limit, boxes that cut them anywhere.
    std::uint32_t state = 2024;
    const auto next = [&](int range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(2 * range + 1)) - range;
    };
    int checked = 0;
    for (int i = 0; i < 20000; ++i) {
        const int reach = i % 4 == 0 ? ChartMath::kCoordinateLimit : i % 4 == 1 ? 700 : i % 4 == 2 ? 40 : 3;
        const int x1 = next(reach), y1 = next(reach), x2 = next(reach), y2 = next(reach);
        const int left = next(50), top = next(50);
        const int right = left + 1 + (next(400) + 400), bottom = top + 1 + (next(400) + 400);
        const auto expected = ChartMath::linePixels(x1, y1, x2, y2, left, top, right, bottom);
        const auto actual = pixelsOfRuns(x1, y1, x2, y2, left, top, right, bottom);
        ASSERT_EQ(actual, expected) << "(" << x1 << "," << y1 << ") to (" << x2 << "," << y2 << ") in [" << left
                                    << "," << right << ") x [" << top << "," << bottom << ")";
        checked += static_cast<int>(expected.size());
    }
    EXPECT_GT(checked, 100000) << "the lines must reach into their boxes";
}

} // namespace
