// The detail chart as pixels and input: curve rows and colours per quantity,
// the click-placed cross-hair with its strict inside test, its place before
// any click, quantity switching, the buttons' layout and the Exit request.
#include "ChartTestSupport.h"
#include "charts/CDetailPanel.h"
#include "charts/ChartMath.h"
#include "controls/CImageButton.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <limits>

using namespace ChartTest;

namespace {

const QColor kCursor(20, 20, 20);
const QColor kPlot(100, 100, 100);
const QColor kVoltage(90, 200, 50);
const QColor kCurrent(200, 50, 10);
const QColor kTemperature(255, 255, 0);

struct CDetailPanelTest : ::testing::Test {
    ChartState state;
    SharedWords words;

    void click(CDetailPanel& panel, QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(&panel, button, Qt::NoModifier, at);
    }
};

TEST_F(CDetailPanelTest, StartsOnVoltageWithTheCursorAtTheOrigin)
{
    CDetailPanel panel(state, words);
    EXPECT_EQ(panel.size(), QSize(1024, 700));
    EXPECT_EQ(panel.selectedSeries(), 0);
    EXPECT_EQ(panel.cursorPosition(), QPoint(0, 0));
}

TEST_F(CDetailPanelTest, CursorBeforeAnyClickRunsAlongTheTopAndLeftEdges)
{
    CDetailPanel panel(state, words);
    const QImage image = render(panel);
    EXPECT_TRUE(allPixels(image, 100, 0, 740, 1, kCursor));
    EXPECT_TRUE(allPixels(image, 0, 25, 1, 625, kCursor));
    EXPECT_TRUE(allPixels(image, 100, 25, 740, 625, kPlot)); // no curve before the first sample
}

TEST_F(CDetailPanelTest, TicksAreBlackAndLeaveTheirEndPointUnpainted)
{
    CDetailPanel panel(state, words);
    click(panel, {739, 624}); // keep the cursor lines off the ticks
    const QImage image = render(panel);
    const QColor black(0, 0, 0);
    for (int i = 0; i <= 10; ++i) {
        const int x = 100 + 64 * i;
        EXPECT_TRUE(allPixels(image, x, 625, x + 1, 630, black)) << "time tick " << i;
        EXPECT_NE(rgbAt(image, x, 630), rgbOf(black)) << "time tick end " << i;
        const int y = 625 - 60 * i;
        EXPECT_TRUE(allPixels(image, 96, y, 100, y + 1, black)) << "value tick " << i;
        EXPECT_NE(rgbAt(image, 95, y), rgbOf(black)) << "value tick end " << i;
        if (y < 625) {
            EXPECT_EQ(rgbAt(image, 100, y), rgbOf(kPlot)) << "fill over the tick's start " << i;
        }
    }
}

TEST_F(CDetailPanelTest, VoltageCurveRowsFollowTheMapping)
{
    setRange(state, Quantity::Voltage, 12.0f, 12.6f);
    setHistory(state, Quantity::Voltage, {12.3, 12.3, 12.0, 12.0});
    CDetailPanel panel(state, words);
    const QImage image = render(panel);
    EXPECT_TRUE(allPixels(image, 101, 325, 164, 326, kVoltage));
    EXPECT_EQ(rgbAt(image, 130, 324), rgbOf(kPlot));
    EXPECT_EQ(rgbAt(image, 250, 625), rgbOf(kVoltage)); // 12.0 on the bottom edge row, below the fill
}

TEST_F(CDetailPanelTest, TemperatureMidRangeLandsOneRowHigh)
{
    setRange(state, Quantity::Temperature, 20.0f, 30.0f);
    setHistory(state, Quantity::Temperature, {25, 25});
    CDetailPanel panel(state, words);
    panel.selectQuantity(3);
    const QImage image = render(panel);
    EXPECT_EQ(rgbAt(image, 130, 324), rgbOf(kTemperature));
    EXPECT_EQ(rgbAt(image, 130, 325), rgbOf(kPlot));
    EXPECT_EQ(words.detailSeries.load(), 3);
}

TEST_F(CDetailPanelTest, ClickInsideDrawsBothCursorLinesAndTheReadout)
{
    setRange(state, Quantity::Voltage, 12.0f, 12.6f);
    CDetailPanel panel(state, words);
    const QImage before = render(panel);
    click(panel, {420, 325});
    EXPECT_EQ(panel.cursorPosition(), QPoint(420, 325));
    const QImage image = render(panel);
    EXPECT_TRUE(allPixels(image, 100, 325, 740, 326, kCursor));
    EXPECT_NE(rgbAt(image, 740, 325), rgbOf(kCursor));
    EXPECT_TRUE(allPixels(image, 420, 25, 421, 625, kCursor));
    EXPECT_TRUE(anyPixel(image, 430, 335, 470, 352, Qt::white)); // "12.30"
    EXPECT_FALSE(anyPixel(before, 430, 335, 470, 352, Qt::white));
    EXPECT_EQ(ChartMath::formatValue(ChartMath::readoutValue(12.0f, 12.6f, 325, 25)), "12.30");
}

TEST_F(CDetailPanelTest, OnlyStrictlyInsideLeftClicksMoveTheCursor)
{
    CDetailPanel panel(state, words);
    const QPoint ignored[] = {{100, 300}, {740, 300}, {300, 25}, {300, 625}, {50, 300}, {900, 650}};
    for (QPoint at : ignored) {
        click(panel, at);
        EXPECT_EQ(panel.cursorPosition(), QPoint(0, 0)) << at.x() << "," << at.y();
    }
    click(panel, {300, 300}, Qt::RightButton);
    EXPECT_EQ(panel.cursorPosition(), QPoint(0, 0));
    click(panel, {101, 26});
    EXPECT_EQ(panel.cursorPosition(), QPoint(101, 26));
    click(panel, {739, 624});
    EXPECT_EQ(panel.cursorPosition(), QPoint(739, 624));
}

TEST_F(CDetailPanelTest, SwitchingQuantityKeepsTheCursorAndRecoloursTheCurve)
{
    setRange(state, Quantity::Voltage, 12.0f, 12.6f);
    setRange(state, Quantity::Current, 0.8f, 1.3f);
    setHistory(state, Quantity::Voltage, {12.3, 12.3});
    setHistory(state, Quantity::Current, {1.3, 1.3});
    CDetailPanel panel(state, words);
    click(panel, {420, 325});

    QTest::mouseClick(panel.button(1019), Qt::LeftButton);
    EXPECT_EQ(panel.selectedSeries(), 1);
    EXPECT_EQ(words.detailSeries.load(), 1);
    EXPECT_EQ(panel.cursorPosition(), QPoint(420, 325));
    const QImage image = render(panel);
    EXPECT_EQ(rgbAt(image, 130, 25), rgbOf(kCurrent));
    EXPECT_FALSE(anyPixel(image, 100, 26, 740, 625, kVoltage));
    EXPECT_TRUE(allPixels(image, 100, 325, 740, 326, kCursor));
    EXPECT_EQ(ChartMath::formatValue(ChartMath::readoutValue(0.8f, 1.3f, 325, 25)), "1.05");
}

TEST_F(CDetailPanelTest, EachQuantityButtonSelectsItsSeries)
{
    CDetailPanel panel(state, words);
    const std::pair<int, int> buttons[] = {{1019, 1}, {1020, 2}, {1021, 3}, {1018, 0}};
    for (const auto& [id, series] : buttons) {
        ASSERT_NE(panel.button(id), nullptr) << id;
        QTest::mouseClick(panel.button(id), Qt::LeftButton);
        EXPECT_EQ(panel.selectedSeries(), series) << id;
        EXPECT_EQ(words.detailSeries.load(), series) << id;
    }
}

TEST_F(CDetailPanelTest, ButtonsSitAtTheirDialogUnitPositions)
{
    CDetailPanel panel(state, words);
    EXPECT_EQ(panel.button(1018)->geometry(), QRect(823, 353, 82, 22)); // short set-up keeps its size
    EXPECT_EQ(panel.button(1019)->pos(), QPoint(823, 393));
    EXPECT_EQ(panel.button(1020)->pos(), QPoint(823, 434));
    EXPECT_EQ(panel.button(1021)->pos(), QPoint(823, 474));
    EXPECT_EQ(panel.button(1045)->pos(), QPoint(835, 603));
    for (int id : {1019, 1020, 1021, 1045})
        EXPECT_EQ(panel.button(id)->size(), QSize(82, 26)) << id; // full set-up: the size of bitmap 151
    EXPECT_EQ(panel.button(1045)->text(), QStringLiteral("Exit"));
    EXPECT_EQ(panel.button(1021)->text(), QStringLiteral("Temperature"));
    EXPECT_EQ(panel.button(999), nullptr);
}

TEST_F(CDetailPanelTest, ExitRequestsTheMainWindowToClose)
{
    CDetailPanel panel(state, words);
    QSignalSpy spy(&panel, &CDetailPanel::closeRequested);
    QTest::mouseClick(panel.button(1045), Qt::LeftButton);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(panel.selectedSeries(), 0);
}

TEST_F(CDetailPanelTest, EmptyRangeCurveIsAFlatLineThroughTheMiddle)
{
    setRange(state, Quantity::Capacity, 1005.0f, 1005.0f);
    setHistory(state, Quantity::Capacity, {1005, 1006, 0});
    CDetailPanel panel(state, words);
    panel.selectQuantity(2);
    const QImage image = render(panel);
    const QColor cyan(22, 220, 220);
    EXPECT_TRUE(allPixels(image, 100, 325, 228, 326, cyan));
    EXPECT_FALSE(anyPixel(image, 100, 26, 740, 325, cyan));
}

TEST_F(CDetailPanelTest, UndefinedRangesAndValuesPaintWithoutFault)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (int series = 0; series < 4; ++series) {
        ChartState wild;
        for (Quantity q : {Quantity::Capacity, Quantity::Voltage, Quantity::Temperature, Quantity::Current}) {
            setRange(wild, q, nan, inf);
            setHistory(wild, q, {1e30, -1e30, 0});
        }
        wild.history[0].voltage = nan;
        wild.xScale = std::numeric_limits<int>::min();
        CDetailPanel panel(wild, words);
        panel.selectQuantity(series);
        click(panel, {400, 300});
        EXPECT_EQ(render(panel).size(), QSize(1024, 700)) << series;
    }
}

}
