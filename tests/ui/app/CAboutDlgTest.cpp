// The About box as laid out by its template: its own dialog font, its size,
// and where the version line, the empty second line and "OK" sit.
#include "app/CAboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(AboutBox, UsesItsOwnEightPointDialogFontNotTheMainWindowsArial)
{
    CAboutDlg about;
    EXPECT_EQ(about.font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(about.font().pointSize(), 8);
    EXPECT_EQ(about.versionLine()->font().family(), QStringLiteral("MS Sans Serif"));
}

TEST(AboutBox, ControlsSitAtTheirTemplatePositions)
{
    CAboutDlg about;
    EXPECT_EQ(about.size(), QSize(379, 85)); // 253 x 49 dialog units
    EXPECT_EQ(about.versionLine()->geometry(), QRect(60, 17, 178, 14));
    EXPECT_EQ(about.secondLine()->geometry(), QRect(66, 50, 240, 14));
    QPushButton* ok = about.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_EQ(ok->geometry(), QRect(294, 12, 75, 24));
    EXPECT_TRUE(ok->isDefault());
}

}
