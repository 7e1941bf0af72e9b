#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Pixel assertions need the offscreen platform and a fixed device ratio.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "1");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
