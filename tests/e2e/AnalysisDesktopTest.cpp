// The analysis window in the whole program on a real X display: opened from
// the main window's right-click menu during a live charge it follows the
// growing log; `trelvane --analyse` shows the recorded run and Ctrl+W ends it.

#include "e2e/DesktopSession.h"
#include "e2e/WaitFor.h"

#include <QElapsedTimer>

namespace {

const QString kAnalysisTitle = QStringLiteral("Analysis - Trelvane");
const QColor kVoltageColour(31, 119, 180);
constexpr QPoint kOverviewExit{856 + 41, 20 + 610 + 13};

class AnalysisDesktop : public DesktopSession {
protected:
    XDoTool::Window waitForAnalysis(int deadlineMs = 20000) const
    {
        XDoTool::Window found;
        waitFor(
            [&] {
                const QList<XDoTool::Window> windows = xdo_->visibleWindows(kAnalysisTitle);
                if (!windows.isEmpty())
                    found = windows.first();
                return found.id != 0;
            },
            deadlineMs, 100);
        return found;
    }

    // Pixels of the voltage trace's colour in the window's plots, and a
    // fingerprint of what the plots show.
    int voltagePixels(const XDoTool::Window& window, const QString& name, QImage* plots = nullptr)
    {
        const ScreenShot shot = screenShot(name);
        const QRect area = QRect(window.geometry.topLeft() + QPoint(10, 60), QSize(800, 700))
                               .intersected(QRect(QPoint(0, 0), shot.image().size()));
        if (plots)
            *plots = shot.image().copy(area);
        return shot.countColour(area, kVoltageColour, 8);
    }
};

TEST_F(AnalysisDesktop, RightClickDuringALiveChargeFollowsTheRunAndAnalyseShowsItAfterwards)
{
    const QString log = path(QStringLiteral("charge.tvr"));
    ASSERT_TRUE(startSimulator(7,
                               {QStringLiteral("--scenario"), QStringLiteral("charge-v1"), QStringLiteral("--cells"),
                                QStringLiteral("4"), QStringLiteral("--seconds"), QStringLiteral("14")},
                               path(QStringLiteral("sent.csv"))));
    ASSERT_TRUE(startTrelvane({QStringLiteral("--port"), QStringLiteral("7"), QStringLiteral("--log"), log}));
    const XDoTool::Window control = waitForWindow(kControlDialogSize);
    ASSERT_NE(control.id, 0u) << trelvaneOutput().toStdString();
    ASSERT_TRUE(click(control, kStartButton));
    const XDoTool::Window main = waitForWindow(kMainWindowSize);
    ASSERT_NE(main.id, 0u);
    // Once a few records are in, right-click the main window and take the second entry.
    ASSERT_TRUE(waitFor([&] { return readRecords(log).size() >= 3; }, 20000, 100));
    ASSERT_TRUE(xdo_->click(main.id, 500, 400, 3));
    ASSERT_TRUE(pressKey(main, QStringLiteral("Down")));
    ASSERT_TRUE(pressKey(main, QStringLiteral("Down")));
    ASSERT_TRUE(pressKey(main, QStringLiteral("Return")));
    const XDoTool::Window analysis = waitForAnalysis();
    ASSERT_NE(analysis.id, 0u) << "no analysis window from the right-click menu";

    // The run grows under the open window: the plots change as records arrive.
    QImage before;
    int pixels = 0;
    EXPECT_TRUE(waitFor([&] { return (pixels = voltagePixels(analysis, QStringLiteral("live-1"), &before)) > 20; },
                        10000, 200))
        << pixels << " pixels of the voltage trace";
    const std::size_t recordsBefore = readRecords(log).size();
    QImage after;
    EXPECT_TRUE(waitFor(
        [&] {
            voltagePixels(analysis, QStringLiteral("live-2"), &after);
            return readRecords(log).size() > recordsBefore + 1 && after != before;
        },
        15000, 300))
        << "the analysis window did not change while the log grew";

    // The charge ends ("Monitor completed"); the analysis window closes with
    // Ctrl+W and the program from the overview's Exit.
    ASSERT_NE(waitForMessageBox(40000).id, 0u);
    ASSERT_TRUE(pressKey(waitForMessageBox(1000), QStringLiteral("Return")));
    ASSERT_TRUE(pressKey(analysis, QStringLiteral("ctrl+w")));
    EXPECT_TRUE(waitFor([&] { return xdo_->visibleWindows(kAnalysisTitle).isEmpty(); }, 5000, 100));
    ASSERT_TRUE(click(main, kOverviewExit));
    ASSERT_TRUE(waitForTrelvaneExit(10000));
    const std::size_t recorded = readRecords(log).size();
    ASSERT_GE(recorded, 10u);

    // The recorded run in the analysis window on its own; Ctrl+W ends the program.
    ASSERT_TRUE(startTrelvane({QStringLiteral("--analyse"), log}));
    const XDoTool::Window alone = waitForAnalysis();
    ASSERT_NE(alone.id, 0u) << trelvaneOutput().toStdString();
    EXPECT_EQ(xdo_->windowOfSize(QStringLiteral("Trelvane"), kControlDialogSize).id, 0u);
    EXPECT_TRUE(waitFor([&] { return voltagePixels(alone, QStringLiteral("analyse")) > 20; }, 10000, 200));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(pressKey(alone, QStringLiteral("ctrl+w")));
    ASSERT_TRUE(waitForTrelvaneExit(10000)) << "Ctrl+W did not close the analysis window";
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(trelvaneExitCode(), 0);
}

} // namespace
