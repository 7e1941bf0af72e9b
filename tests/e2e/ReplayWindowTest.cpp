// Opening a log file on the command line: the main window comes up directly,
// without the control dialog, with the replayed charge drawn in the overview's
// charts, and Esc closes it.

#include "e2e/DesktopSession.h"
#include "e2e/WaitFor.h"

#include <QElapsedTimer>
#include <QFile>

namespace {

const QColor kCapacitySeriesColour(22, 220, 220);

// A charge of `seconds` records with rising capacity and voltage.
bool writeCharge(const QString& path, int seconds)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (int s = 1; s <= seconds; ++s) {
        MeasurementRecord r;
        r.voltage = 14.8f + 0.01f * static_cast<float>(s);
        r.current = 2.0f;
        r.temperature = 25.0f;
        r.capacity = 10 * s;
        for (int cell = 0; cell < 4; ++cell)
            r.cellVoltage[cell] = 3.7f + 0.002f * static_cast<float>(s);
        r.elapsedSeconds = s;
        r.chargeMode = 1;
        const RecordBytes bytes = toBytes(r);
        if (file.write(reinterpret_cast<const char*>(bytes.data()), kRecordSize) != static_cast<qint64>(kRecordSize))
            return false;
    }
    return true;
}

class ReplayWindow : public DesktopSession {};

TEST_F(ReplayWindow, OpensDirectlyWithTheChargeDrawnAndClosesOnEscape)
{
    const QString log = path(QStringLiteral("replay.tvr"));
    ASSERT_TRUE(writeCharge(log, 120));
    ASSERT_TRUE(startTrelvane({log}));

    const XDoTool::Window main = waitForWindow(kMainWindowSize);
    ASSERT_NE(main.id, 0u) << trelvaneOutput().toStdString();
    EXPECT_EQ(xdo_->windowOfSize(QStringLiteral("Trelvane"), kControlDialogSize).id, 0u)
        << "the control dialog showed up for a replay";

    // The capacity chart is the overview's first: plot (100,10)-(740,110) in a
    // chart placed at (10,70) of the view.
    const QRect capacityPlot =
        QRect(QPoint(100, 10), QPoint(739, 109)).translated(main.geometry.topLeft() + kViewOrigin + QPoint(10, 70));
    int seriesPixels = 0;
    EXPECT_TRUE(waitFor(
        [&] {
            seriesPixels = screenShot(QStringLiteral("replay")).countColour(capacityPlot, kCapacitySeriesColour);
            return seriesPixels >= 100;
        },
        5000, 200))
        << seriesPixels << " pixels of the capacity series colour in its plot";

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(pressKey(main, QStringLiteral("Escape")));
    ASSERT_TRUE(waitForTrelvaneExit(10000)) << "Esc did not close the replay";
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(trelvaneEndedNormally());
    EXPECT_EQ(trelvaneExitCode(), 0);
}

} // namespace
