// The small chart panels as pixels: the static edge around the client area,
// plot fill, series position and colour per
// panel, the capacity panel's held first point, the end-point rule of ticks
// and segments, and painting from empty ranges and wild values.
#include "ChartTestSupport.h"
#include "charts/CQuantityChart.h"
#include "charts/ChartInstance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace ChartTest;

namespace {

const QColor kBlack(0, 0, 0);

QColor seriesColour(const ChartInstance& instance)
{
    return QColor(instance.colour.red, instance.colour.green, instance.colour.blue);
}

// The client area, in whose coordinates the panel draws.
QImage renderPanel(Quantity quantity, const ChartState& state)
{
    CQuantityChart chart(chartInstance(quantity), state);
    return chart.grab(chart.clientRect()).toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(CQuantityChart, HasTheFixedPanelSizeWithASunkenEdgeAroundTheClientArea)
{
    ChartState state;
    CQuantityChart chart(chartInstance(Quantity::Voltage), state);
    EXPECT_EQ(chart.size(), QSize(770, 130));
    EXPECT_EQ(chart.clientRect(), QRect(1, 1, 768, 128));

    const QImage window = render(chart);
    ASSERT_EQ(window.size(), QSize(770, 130));
    const QColor shadow = chart.palette().color(QPalette::Dark);
    const QColor highlight = chart.palette().color(QPalette::Light);
    EXPECT_TRUE(allPixels(window, 0, 0, 770, 1, shadow));
    EXPECT_TRUE(allPixels(window, 0, 0, 1, 129, shadow));
    EXPECT_TRUE(allPixels(window, 0, 129, 770, 130, highlight));
    EXPECT_TRUE(allPixels(window, 769, 1, 770, 130, highlight));
    // The plot (100, 10)-(740, 110) of the client lies one pixel in from the window's corner.
    EXPECT_TRUE(allPixels(window, 101, 11, 741, 111, kBlack));
    EXPECT_NE(rgbAt(window, 100, 50), rgbOf(kBlack));
    EXPECT_NE(rgbAt(window, 400, 10), rgbOf(kBlack));
}

// The bounding box of the dark (text) pixels inside [x0, x1) x [y0, y1) of the light background.
QRect darkBox(const QImage& image, int x0, int y0, int x1, int y1)
{
    QRect box;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (qGray(image.pixel(x, y)) < 100)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(CQuantityChart, TitleAndReadoutRunUpwardFromTheirReferencePoints)
{
    struct Case {
        Quantity quantity;
        int titleY;
    };
    for (const Case c : {Case{Quantity::Capacity, 100}, Case{Quantity::Voltage, 95},
                         Case{Quantity::Temperature, 100}, Case{Quantity::Current, 95}}) {
        ChartState state;
        state.snapshotRecord.capacity = 1234;
        state.snapshotRecord.voltage = 12.5f;
        state.snapshotRecord.temperature = 25.0f;
        state.snapshotRecord.current = 1.5f;
        const QImage image = renderPanel(c.quantity, state);
        // Left of the value labels and above "Time": only the title (x from 10)
        // and the read-out (x from 27).
        const QRect title = darkBox(image, 0, 0, 27, 110);
        const QRect readout = darkBox(image, 27, 0, 45, 110);
        ASSERT_FALSE(title.isEmpty());
        ASSERT_FALSE(readout.isEmpty());
        // Glyph cells start at the reference point's x and run up from its y.
        EXPECT_GE(title.left(), 10);
        EXPECT_LE(title.left(), 15); // lower-case titles start below the cell top
        EXPECT_LE(title.right(), 10 + 14);
        EXPECT_LE(title.bottom(), c.titleY);
        EXPECT_GE(title.bottom(), c.titleY - 3);
        EXPECT_GT(title.height(), 40) << "runs upward, not across";
        EXPECT_GE(readout.left(), 27);
        EXPECT_LE(readout.right(), 27 + 14);
        EXPECT_LE(readout.bottom(), 90);
        EXPECT_GE(readout.bottom(), 87);
        EXPECT_GT(readout.height(), 25);
    }
}

TEST(CQuantityChart, BeforeTheFirstSampleThePlotIsPlainBlack)
{
    ChartState state;
    for (const ChartInstance& instance : kChartInstances) {
        const QImage image = renderPanel(instance.quantity, state);
        EXPECT_TRUE(allPixels(image, 100, 10, 740, 110, kBlack)) << instance.title;
    }
}

TEST(CQuantityChart, EachPanelDrawsItsQuantityInItsColour)
{
    for (const ChartInstance& instance : kChartInstances) {
        ChartState state;
        state.xScale = 64;
        setRange(state, instance.quantity, 0.0f, 100.0f);
        // The other quantities sit far outside this range: only ours may show.
        for (Quantity q : {Quantity::Capacity, Quantity::Voltage, Quantity::Temperature, Quantity::Current})
            setHistory(state, q, {1000, 1000, 1000});
        setHistory(state, instance.quantity, {50, 50, 50});

        const QImage image = renderPanel(instance.quantity, state);
        const int y = 60;
        EXPECT_EQ(rgbAt(image, 150, y), rgbOf(seriesColour(instance))) << instance.title;
        EXPECT_EQ(rgbAt(image, 150, y - 1), rgbOf(kBlack)) << instance.title;
        EXPECT_EQ(rgbAt(image, 150, y + 1), rgbOf(kBlack)) << instance.title;
    }
}

TEST(CQuantityChart, VoltageMidRangeLandsOnRowSixty)
{
    ChartState state;
    setRange(state, Quantity::Voltage, 12.0f, 12.5f);
    setHistory(state, Quantity::Voltage, {12.25, 12.25});
    const QImage image = renderPanel(Quantity::Voltage, state);
    const QColor green(90, 200, 50);
    EXPECT_TRUE(allPixels(image, 100, 60, 164, 61, green));
    EXPECT_EQ(rgbAt(image, 164, 60), rgbOf(kBlack)); // the segment's end point
}

TEST(CQuantityChart, CapacityRowsFollowTheRoundedScale)
{
    ChartState state;
    setRange(state, Quantity::Capacity, 5.0f, 15.0f);
    setHistory(state, Quantity::Capacity, {10, 10, 5, 5});
    const QImage image = renderPanel(Quantity::Capacity, state);
    const QColor cyan(22, 220, 220);
    EXPECT_EQ(rgbAt(image, 130, 59), rgbOf(cyan));
    EXPECT_EQ(rgbAt(image, 130, 60), rgbOf(kBlack));
    EXPECT_EQ(rgbAt(image, 260, 109), rgbOf(cyan));
    EXPECT_EQ(rgbAt(image, 260, 110), rgbAt(image, 260, 111)); // below the plot: background only
}

struct HoldCase {
    Quantity quantity;
    bool heldOnTheBottomEdge;
};

TEST(CQuantityChart, OnlyTheCapacityPanelHoldsAFirstPointBelowTheRange)
{
    const HoldCase cases[] = {
        {Quantity::Capacity, true}, {Quantity::Voltage, false},
        {Quantity::Temperature, false}, {Quantity::Current, false},
    };
    for (const HoldCase& c : cases) {
        ChartState state;
        setRange(state, c.quantity, 5.0f, 15.0f);
        setHistory(state, c.quantity, {0, 10});
        const QImage image = renderPanel(c.quantity, state);
        const QColor colour = seriesColour(chartInstance(c.quantity));
        // Held: the polyline starts at (100, 110), on the edge row below the fill.
        EXPECT_EQ(rgbAt(image, 100, 110) == rgbOf(colour), c.heldOnTheBottomEdge) << int(c.quantity);
        // Not held: the first point is at (100, 159) and the segment climbs from there.
        EXPECT_EQ(anyPixel(image, 100, 125, 164, 126, colour), !c.heldOnTheBottomEdge) << int(c.quantity);
    }
}

TEST(CQuantityChart, FullHistoryAtScaleTwoEndsAt738)
{
    ChartState state;
    state.xScale = 2;
    state.historyCount = kHistoryCapacity;
    setRange(state, Quantity::Voltage, 12.0f, 12.5f);
    for (auto& record : state.history)
        record.voltage = 12.25f;
    const QImage image = renderPanel(Quantity::Voltage, state);
    const QColor green(90, 200, 50);
    EXPECT_TRUE(allPixels(image, 100, 60, 738, 61, green));
    EXPECT_EQ(rgbAt(image, 738, 60), rgbOf(kBlack));
}

TEST(CQuantityChart, TickLinesLeaveTheirEndPointUnpainted)
{
    ChartState state;
    const QImage image = renderPanel(Quantity::Voltage, state);
    for (int i = 0; i <= 10; ++i) {
        const int x = 100 + 64 * i;
        EXPECT_TRUE(allPixels(image, x, 110, x + 1, 115, kBlack)) << "time tick " << i;
        EXPECT_NE(rgbAt(image, x, 115), rgbOf(kBlack)) << "time tick end " << i;
        EXPECT_NE(rgbAt(image, x + 1, 112), rgbOf(kBlack)) << "time tick width " << i;
    }
    for (int i = 0; i <= 5; ++i) {
        const int y = 110 - 20 * i;
        EXPECT_TRUE(allPixels(image, 96, y, 100, y + 1, kBlack)) << "value tick " << i;
        EXPECT_NE(rgbAt(image, 95, y), rgbOf(kBlack)) << "value tick end " << i;
    }
}

TEST(CQuantityChart, EmptyRangeDrawsAFlatLineThroughTheMiddle)
{
    ChartState state;
    setRange(state, Quantity::Capacity, 1005.0f, 1005.0f);
    setHistory(state, Quantity::Capacity, {1000, 1005, 2000});
    const QImage image = renderPanel(Quantity::Capacity, state);
    const QColor cyan(22, 220, 220);
    EXPECT_TRUE(allPixels(image, 100, 60, 228, 61, cyan));
    EXPECT_FALSE(anyPixel(image, 100, 10, 740, 60, cyan));
    EXPECT_FALSE(anyPixel(image, 100, 61, 740, 110, cyan));
}

TEST(CQuantityChart, NanSamplesBreakTheLineAndWildOnesStayPaintable)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    ChartState state;
    setRange(state, Quantity::Voltage, 12.0f, 12.5f);
    setHistory(state, Quantity::Voltage, {12.25, nan, 12.25, 12.25, 1e30, -inf});
    const QColor green(90, 200, 50);
    const QImage image = renderPanel(Quantity::Voltage, state);
    EXPECT_FALSE(anyPixel(image, 100, 10, 228, 110, green)); // both segments touching the NaN
    EXPECT_TRUE(allPixels(image, 228, 60, 292, 61, green));
    EXPECT_TRUE(allPixels(image, 292, 10, 293, 60, green));  // straight up towards the huge value

    ChartState wild;
    setRange(wild, Quantity::Temperature, nan, inf);
    setHistory(wild, Quantity::Temperature, {nan, inf, -inf, 1e30});
    wild.snapshotRecord.temperature = nan;
    wild.xScale = std::numeric_limits<int>::max();
    wild.timeSpan = std::numeric_limits<int>::max();
    const QImage survived = renderPanel(Quantity::Temperature, wild);
    EXPECT_EQ(survived.size(), QSize(768, 128));
}

}
