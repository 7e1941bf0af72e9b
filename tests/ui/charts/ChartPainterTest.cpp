// Thin lines drawn by ChartPainter: every pixel the rasteriser names is painted
// in the line's colour and nothing else is, for flat, steep, diagonal and
// backward lines, lines cut by the image edge and lines of one pixel or none.
#include "charts/ChartMath.h"
#include "charts/ChartPainter.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <set>
#include <utility>

namespace {

constexpr int kSize = 64;
const QColor kLine(90, 200, 50);

struct Line {
    const char* name;
    int x1, y1, x2, y2;
};

const Line kLines[] = {
    {"flat to the right", 3, 10, 40, 10},
    {"flat to the left", 40, 12, 3, 12},
    {"steep downwards", 20, 2, 22, 60},
    {"steep upwards", 22, 60, 20, 2},
    {"vertical", 30, 5, 30, 50},
    {"shallow slope", 1, 40, 62, 33},
    {"diagonal", 5, 5, 45, 45},
    {"backward diagonal", 45, 5, 5, 45},
    {"one pixel long", 7, 7, 8, 7},
    {"start equals end", 9, 9, 9, 9},
    {"leaving the image", 50, 30, 90, -20},
    {"entering from outside", -30, 70, 30, 10},
};

std::set<std::pair<int, int>> paintedPixels(const QImage& image)
{
    std::set<std::pair<int, int>> pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != Qt::black) {
                EXPECT_EQ(image.pixelColor(x, y), kLine) << "at " << x << "," << y;
                pixels.insert({x, y});
            }
    return pixels;
}

TEST(ChartPainter, ThinLinesPaintExactlyTheRasterisedPixels)
{
    for (const Line& line : kLines) {
        SCOPED_TRACE(line.name);
        QImage image(kSize, kSize, QImage::Format_RGB32);
        image.fill(Qt::black);
        {
            QPainter painter(&image);
            ChartPainter(painter).drawLine(line.x1, line.y1, line.x2, line.y2, kLine);
        }
        std::set<std::pair<int, int>> expected;
        for (const ChartMath::Pixel& p : ChartMath::linePixels(line.x1, line.y1, line.x2, line.y2, 0, 0, kSize, kSize))
            expected.insert({p.x, p.y});
        EXPECT_EQ(paintedPixels(image), expected);
    }
}

TEST(ChartPainter, ThinLineStartIsPaintedAndEndIsNot)
{
    QImage image(kSize, kSize, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        ChartPainter(painter).drawLine(10, 50, 12, 5, kLine); // steep: runs down columns
    }
    EXPECT_EQ(image.pixelColor(10, 50), kLine);
    EXPECT_EQ(image.pixelColor(12, 5), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(12, 6), kLine);
}

} // namespace
