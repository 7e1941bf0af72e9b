// The overview panel: the lamp of each cells status (and the repaint without
// erase that keeps an earlier lamp), the cell rows with a 0.0 cell skipped,
// the battery-type indicator table, the indicators' places, and Exit.
#include "acquisition/SharedWords.h"
#include "charts/CQuantityChart.h"
#include "controls/CImageButton.h"
#include "overview/COverviewPanel.h"
#include "recording/ChartState.h"
#include "res/Bitmaps.h"

#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QRect kLamp[4] = {{840, 380, 20, 10}, {840, 395, 20, 10}, {840, 410, 20, 10}, {840, 425, 20, 10}};
const QColor kLampColour[4] = {{255, 0, 0}, {0, 255, 0}, {255, 255, 0}, {0, 60, 255}};

class Overview : public ::testing::Test {
protected:
    void SetUp() override { panel = std::make_unique<COverviewPanel>(state, words); }

    QImage grab() { return panel->grab().toImage(); }

    static bool filledWith(const QImage& image, const QRect& r, const QColor& colour)
    {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (image.pixelColor(x, y) != colour)
                    return false;
        return true;
    }

    // Pixels of a row of the cell list that text changed.
    static int changedPixels(const QImage& image, const QImage& blank, const QRect& r)
    {
        int count = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (image.pixel(x, y) != blank.pixel(x, y))
                    ++count;
        return count;
    }

    static QRect rowRect(int i) { return QRect(820, 85 + 35 * (i - 1), 160, 14); }

    ChartState state;
    SharedWords words;
    std::unique_ptr<COverviewPanel> panel;
};

TEST_F(Overview, HostsTheFourChartsAtTheirPlaces)
{
    EXPECT_EQ(panel->size(), QSize(1024, 700));
    const Quantity order[4] = {Quantity::Capacity, Quantity::Voltage, Quantity::Temperature, Quantity::Current};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(panel->chart(order[k])->geometry(), QRect(10, 70 + 150 * k, 770, 130));
}

TEST_F(Overview, LightsOnlyTheLampOfTheCurrentStatus)
{
    for (int status = 0; status < 4; ++status) {
        words.cellsStatus = status;
        const QImage image = grab();
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(filledWith(image, kLamp[k], kLampColour[k]), k == status) << status << " " << k;
    }
    for (int status : {-1, 4}) {
        words.cellsStatus = status;
        const QImage image = grab();
        for (int k = 0; k < 4; ++k)
            EXPECT_FALSE(filledWith(image, kLamp[k], kLampColour[k]));
    }
}

TEST_F(Overview, RepaintWithoutEraseLeavesTheEarlierLampLit)
{
    QPixmap screen(panel->size());
    words.cellsStatus = 0;
    panel->repaintWithErase();
    panel->render(&screen);
    words.cellsStatus = 3;
    panel->repaintWithoutErase();
    panel->render(&screen, QPoint(), QRegion(), QWidget::DrawChildren);
    QImage image = screen.toImage();
    EXPECT_TRUE(filledWith(image, kLamp[0], kLampColour[0]));
    EXPECT_TRUE(filledWith(image, kLamp[3], kLampColour[3]));

    panel->repaintWithErase();
    panel->render(&screen);
    image = screen.toImage();
    EXPECT_FALSE(filledWith(image, kLamp[0], kLampColour[0]));
    EXPECT_TRUE(filledWith(image, kLamp[3], kLampColour[3]));
}

TEST_F(Overview, PrintsCellRowsUpToCellCountSkippingZeroCells)
{
    const float cells[8] = {3.71f, 3.72f, 0.0f, 3.74f, 3.75f, 3.76f, 3.77f, 3.78f};
    std::copy(std::begin(cells), std::end(cells), state.snapshotRecord.cellVoltage);
    words.cellCount = 0;
    const QImage blank = grab();
    words.cellCount = 4;
    const QImage image = grab();
    EXPECT_GT(changedPixels(image, blank, rowRect(1)), 10);
    EXPECT_GT(changedPixels(image, blank, rowRect(2)), 10);
    EXPECT_EQ(changedPixels(image, blank, rowRect(3)), 0);
    EXPECT_GT(changedPixels(image, blank, rowRect(4)), 10);
    EXPECT_EQ(changedPixels(image, blank, rowRect(5)), 0);

    words.cellCount = 8;
    const QImage full = grab();
    for (int i = 5; i <= 8; ++i)
        EXPECT_GT(changedPixels(full, blank, rowRect(i)), 10) << "row " << i << " at y " << 85 + 35 * (i - 1);
    // Label and value sit at x 820 and 930.
    EXPECT_GT(changedPixels(full, blank, QRect(820, 85, 60, 14)), 5);
    EXPECT_GT(changedPixels(full, blank, QRect(930, 85, 40, 14)), 5);
}

TEST_F(Overview, ShowsTheBatteryTypeIndicatorOfTheVariantsCode)
{
    const struct {
        int variant;
        int type;
        int indicator; // 0 Li-Ion/poly (1050), 1 Pb, 2 NiMH, 3 NiCd, -1 none
    } cases[] = {
        {1, 1, 0}, {1, 2, 2}, {1, 3, 3}, {1, 4, 1}, {2, 128, 0}, {2, 132, 2}, {2, 133, 3}, {2, 134, 1},
        {2, 130, -1}, {1, 128, -1}, {2, 1, -1}, {0, 1, -1},
    };
    for (const auto& c : cases) {
        COverviewPanel fresh(state, words);
        fresh.show();
        words.frameVariant = c.variant;
        state.snapshotRecord.batteryType = c.type;
        fresh.grab();
        QCoreApplication::processEvents();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(fresh.typeIndicator(i)->isVisible(), i == c.indicator)
                << "variant " << c.variant << " type " << c.type << " indicator " << i;
    }
}

TEST_F(Overview, AnEarlierTypeIndicatorStaysVisible)
{
    panel->show();
    words.frameVariant = 1;
    state.snapshotRecord.batteryType = 1;
    panel->grab();
    QCoreApplication::processEvents();
    state.snapshotRecord.batteryType = 4;
    panel->grab();
    QCoreApplication::processEvents();
    EXPECT_TRUE(panel->typeIndicator(0)->isVisible());
    EXPECT_TRUE(panel->typeIndicator(1)->isVisible());
}

TEST_F(Overview, ShowsTheFirstCellIndicatorsOnly)
{
    panel->show();
    panel->showCellIndicators(3);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(panel->cellIndicator(i)->isVisible(), i < 3);
}

TEST_F(Overview, IndicatorsSitAtTheirTemplatePlacesWithTheirBitmapsHiddenAtFirst)
{
    panel->show();
    // Dialog units to pixels; a static bitmap control takes its 32 x 32 bitmap's size.
    const int typeY[4] = {472, 504, 535, 567};
    const int typeBitmap[4] = {163, 162, 164, 165};
    for (int i = 0; i < 4; ++i) {
        QLabel* indicator = panel->typeIndicator(i);
        EXPECT_EQ(indicator->geometry(), QRect(831, typeY[i], 32, 32)) << "type " << i;
        EXPECT_FALSE(indicator->isVisible()) << "type " << i;
        EXPECT_EQ(indicator->pixmap().toImage(), loadBitmap(typeBitmap[i]).toImage()) << "type " << i;
    }
    const int cellY[8] = {78, 112, 147, 182, 217, 252, 283, 316};
    for (int i = 0; i < 8; ++i) {
        QLabel* indicator = panel->cellIndicator(i);
        EXPECT_EQ(indicator->geometry(), QRect(885, cellY[i], 32, 32)) << "cell " << i;
        EXPECT_FALSE(indicator->isVisible()) << "cell " << i;
        EXPECT_EQ(indicator->pixmap().toImage(), loadBitmap(161).toImage()) << "cell " << i;
    }
}

TEST_F(Overview, ExitAsksTheMainWindowToClose)
{
    panel->show();
    QSignalSpy spy(panel.get(), &COverviewPanel::closeRequested);
    EXPECT_EQ(panel->exitButton()->geometry().topLeft(), QPoint(856, 610));
    QTest::mouseClick(panel->exitButton(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(spy.count(), 1);
}

} // namespace
