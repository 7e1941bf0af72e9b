// The compiled-in bitmaps: lookup by number, exact sizes, the pure-white pixels the
// bitmap buttons treat as transparent, and the colours and lines that windows and
// their controls are laid out against.
#include "res/Bitmaps.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

namespace {

QImage image(int id) { return loadBitmap(id).toImage().convertToFormat(QImage::Format_RGB32); }

constexpr QRgb kWhite = 0xffffffff;

using Pixel = std::pair<int, int>;

std::set<Pixel> whitePixels(const QImage& img)
{
    std::set<Pixel> white;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == kWhite)
                white.insert({x, y});
    return white;
}

std::set<Pixel> row(int y, int width)
{
    std::set<Pixel> r;
    for (int x = 0; x < width; ++x)
        r.insert({x, y});
    return r;
}

bool isLight(QRgb c) { return qRed(c) >= 150 && qGreen(c) >= 150 && qBlue(c) >= 150; }

::testing::AssertionResult hasColour(const QImage& img, int x, int y, QColor expected)
{
    const QColor actual = img.pixelColor(x, y);
    if (actual.rgb() == expected.rgb())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
        << "pixel (" << x << ", " << y << ") is RGB(" << actual.red() << ", " << actual.green()
        << ", " << actual.blue() << "), expected RGB(" << expected.red() << ", "
        << expected.green() << ", " << expected.blue() << ")";
}

struct SizeCase {
    int id;
    int width;
    int height;
};

class BitmapSize : public ::testing::TestWithParam<SizeCase> {};

} // namespace

TEST_P(BitmapSize, EveryNumberedBitmapLoadsAtItsExactSize)
{
    const SizeCase c = GetParam();
    const QPixmap pixmap = loadBitmap(c.id);
    ASSERT_FALSE(pixmap.isNull()) << "bitmap " << c.id;
    EXPECT_EQ(pixmap.width(), c.width) << "bitmap " << c.id;
    EXPECT_EQ(pixmap.height(), c.height) << "bitmap " << c.id;
    // 24-bit pictures; only the program icon is see-through.
    EXPECT_EQ(pixmap.hasAlphaChannel(), c.id == 128) << "bitmap " << c.id;
}

INSTANTIATE_TEST_SUITE_P(AllBitmaps, BitmapSize,
                         ::testing::Values(SizeCase{128, 64, 64}, SizeCase{140, 578, 331},
                                           SizeCase{145, 56, 33}, SizeCase{146, 56, 33},
                                           SizeCase{150, 1024, 721}, SizeCase{151, 82, 26},
                                           SizeCase{152, 85, 26}, SizeCase{153, 1024, 721},
                                           SizeCase{154, 759, 127}, SizeCase{161, 32, 32},
                                           SizeCase{162, 32, 32}, SizeCase{163, 32, 32},
                                           SizeCase{164, 32, 32}, SizeCase{165, 32, 32}),
                         [](const auto& info) { return std::to_string(info.param.id); });

TEST(Bitmaps, NumbersThatNameNoBitmapGiveANullPixmap)
{
    for (int id : {999, 0, -1, 1, 127, 129, 147, 155, 160, 166, 256})
        EXPECT_TRUE(loadBitmap(id).isNull()) << "bitmap " << id;
}

TEST(Bitmaps, RepeatedLoadsGiveTheSamePicture)
{
    EXPECT_EQ(image(150), image(150));
}

TEST(ButtonFaces, SmallPointerOverFaceIsWhiteOnlyAtItsTwoUpperCorners)
{
    const QImage img = image(145);
    EXPECT_EQ(whitePixels(img), (std::set<Pixel>{{0, 0}, {55, 0}}));
}

TEST(ButtonFaces, SmallNormalFaceIsWhiteOnlyInItsBottomRowAndUpperCorners)
{
    const QImage img = image(146);
    std::set<Pixel> expected = row(32, 56);
    expected.insert({0, 0});
    expected.insert({55, 0});
    EXPECT_EQ(whitePixels(img), expected);
}

TEST(ButtonFaces, LargePointerOverFaceIsWhiteOnlyInItsBottomRow)
{
    EXPECT_EQ(whitePixels(image(151)), row(25, 82));
}

TEST(ButtonFaces, LargeNormalFaceIsWhiteOnlyInItsRoundedUpperCorners)
{
    const QImage img = image(152);
    const std::set<Pixel> white = whitePixels(img);
    EXPECT_TRUE(white.count({0, 0}));
    EXPECT_TRUE(white.count({84, 0}));
    for (const auto& [x, y] : white) {
        EXPECT_LT(y, 13) << "white below the corners at (" << x << ", " << y << ")";
        EXPECT_TRUE(x < 10 || x > 74) << "white between the corners at (" << x << ", " << y << ")";
        // The corners mirror each other.
        EXPECT_TRUE(white.count({84 - x, y})) << "(" << x << ", " << y << ") has no mirror";
    }
    // Rounded, not merely notched: more than the corner pixel itself is cut away.
    EXPECT_TRUE(white.count({1, 0}));
    EXPECT_TRUE(white.count({0, 1}));
}

TEST(ButtonFaces, HaveNoNearWhiteFringeThatWouldShowAsAHalo)
{
    // Only exact white is see-through; an almost-white pixel would stay visible.
    for (int id : {145, 146, 151, 152}) {
        const QImage img = image(id);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb c = img.pixel(x, y);
                EXPECT_FALSE(c != kWhite && qRed(c) > 230 && qGreen(c) > 230 && qBlue(c) > 230)
                    << "bitmap " << id << " at (" << x << ", " << y << ")";
            }
    }
}

TEST(ButtonFaces, FacesAreMidGreyEnoughForWhiteCaptions)
{
    struct Face {
        int id;
        int minGrey;
        int maxGrey;
    };
    // "Light" faces stay mid grey, dark ones darker still; both carry white text.
    for (const Face f : {Face{145, 120, 200}, Face{151, 120, 200}, Face{146, 40, 120}, Face{152, 40, 120}}) {
        const QImage img = image(f.id);
        const QColor centre = img.pixelColor(img.width() / 2, img.height() / 2);
        EXPECT_GE(qGray(centre.rgb()), f.minGrey) << "bitmap " << f.id;
        EXPECT_LE(qGray(centre.rgb()), f.maxGrey) << "bitmap " << f.id;
    }
}

TEST(ButtonFaces, LargePointerOverFaceIsLighterTowardsTheTop)
{
    const QImage img = image(151);
    EXPECT_GT(qGray(img.pixel(41, 3)), qGray(img.pixel(41, 22)));
}

TEST(Backgrounds, ChartBackgroundIsTheFlatLightGreyFieldWithDarkerEnds)
{
    const QImage img = image(154);
    EXPECT_TRUE(hasColour(img, 379, 63, QColor(195, 195, 194)));
    EXPECT_TRUE(hasColour(img, 100, 10, QColor(195, 195, 194)));
    EXPECT_TRUE(hasColour(img, 740, 120, QColor(195, 195, 194)));
    EXPECT_LT(qGray(img.pixel(0, 63)), qGray(img.pixel(379, 63)));
    EXPECT_LT(qGray(img.pixel(758, 63)), qGray(img.pixel(379, 63)));
}

TEST(Backgrounds, OverviewAndDetailShareTheDarkFieldColour)
{
    for (int id : {150, 153}) {
        const QImage img = image(id);
        // The middle of the chart area and a point between the bands at the left.
        EXPECT_TRUE(hasColour(img, 400, 360, QColor(57, 54, 51))) << "bitmap " << id;
        EXPECT_TRUE(hasColour(img, 4, 640, QColor(57, 54, 51))) << "bitmap " << id;
    }
}

TEST(Backgrounds, DetailHasALighterTopBandAndALightBottomBand)
{
    const QImage img = image(153);
    const int field = qGray(img.pixel(400, 360));
    EXPECT_GT(qGray(img.pixel(400, 12)), field);   // top band, about 24 rows
    EXPECT_GT(qGray(img.pixel(400, 700)), 150);    // bottom band, about 40 rows
}

TEST(Backgrounds, OverviewLegendBoxLinesAreLightAtTheirEdges)
{
    const QImage img = image(150);
    struct Point {
        int x;
        int y;
    };
    // Status box x 817..951, y 378..449; type box x 818..952, y 472..617.
    // The top lines carry the box titles at their left, so they are probed at the right.
    const Point lines[] = {{817, 400}, {817, 449}, {951, 378}, {951, 420}, {940, 378}, {850, 449},
                           {930, 449}, {818, 472}, {818, 540}, {952, 600}, {945, 472},
                           {830, 617}, {900, 617}, {952, 617}};
    for (const Point p : lines)
        EXPECT_TRUE(isLight(img.pixel(p.x, p.y))) << "(" << p.x << ", " << p.y << ")";
    // Thin lines: one pixel inside and outside each edge is not light.
    const Point beside[] = {{816, 410}, {818, 410}, {950, 410}, {952, 410}, {940, 377}, {940, 379},
                            {817, 540}, {819, 540}, {953, 540}, {900, 618}, {900, 616}};
    for (const Point p : beside)
        EXPECT_FALSE(isLight(img.pixel(p.x, p.y))) << "(" << p.x << ", " << p.y << ")";
}

TEST(Backgrounds, OverviewTypeIndicatorsCoverGreyIconsOnTheField)
{
    const QImage img = image(150);
    // Indicators at window x 831, y 472/504/535/567, 32 x 32; the bitmap is
    // 721/700 as high as the window.
    for (int top : {472, 504, 535, 567}) {
        const int y0 = top * 721 / 700 + 1;
        const int y1 = (top + 32) * 721 / 700 - 1;
        int marked = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = 832; x < 862; ++x) {
                const QColor c = img.pixelColor(x, y);
                marked += c.rgb() != QColor(57, 54, 51).rgb();
                // Grey: no channel stands out as a hue.
                EXPECT_LE(std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}), 40)
                    << "(" << x << ", " << y << ")";
            }
        EXPECT_GT(marked, 60) << "no icon under indicator at window y " << top;
    }
}

TEST(TypeIcons, IconsAreBlueOnTheDarkField)
{
    for (int id : {161, 162, 163, 164, 165}) {
        const QImage img = image(id);
        EXPECT_TRUE(hasColour(img, 0, 0, QColor(57, 54, 51))) << "bitmap " << id;
        EXPECT_TRUE(hasColour(img, 31, 31, QColor(57, 54, 51))) << "bitmap " << id;
        int blue = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const QColor c = img.pixelColor(x, y);
                blue += c.blue() > 150 && c.blue() > c.red() + 60;
            }
        EXPECT_GT(blue, 30) << "bitmap " << id;
    }
}

TEST(ProgramIcon, HasATransparentSurround)
{
    const QImage icon = loadBitmap(128).toImage();
    ASSERT_TRUE(icon.hasAlphaChannel());
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(32, 32)), 255);
}
