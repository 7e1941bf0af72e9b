// The whole program monitoring a simulated charger on a real X display, driven
// by pointer clicks: the log file it writes, the overview's lamps and cell
// read-out on screen, the detail view, the "Monitor completed" box after the
// end frame or after the charger falls silent, a file-size limit that stops
// the log but not the program, and a clean exit.

#include "e2e/DesktopSession.h"
#include "e2e/WaitFor.h"
#include "io/tools/ChargeFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <set>

#include <sys/resource.h>

namespace {

// Points inside the buttons, in their window's coordinates.
constexpr QPoint kOverviewButton{41, 10};
constexpr QPoint kDetailButton{82 + 40, 10};
constexpr QPoint kOverviewExit{856 + 41, 20 + 610 + 13};

const QColor kChargeLampColour(255, 0, 0);
const QColor kDisconnectLampColour(0, 60, 255);

constexpr int kLampPixels = 20 * 10;

QRect lampRect(const XDoTool::Window& main, int status)
{
    return QRect(840, 380 + 15 * status, 20, 10).translated(main.geometry.topLeft() + QPoint(0, 20));
}

QRect cellRowRect(const XDoTool::Window& main, int row)
{
    // Label at x 820 and value at x 930 of the row, one line of 8 pt text high.
    return QRect(820, 85 + 35 * (row - 1), 160, 14).translated(main.geometry.topLeft() + QPoint(0, 20));
}

// The frames the simulator logged as sent, as the records they decode to.
struct SentFrames {
    std::set<QString> kinds;
    std::vector<MeasurementRecord> records; // start and running frames
};

SentFrames readSent(const QString& csvPath)
{
    SentFrames sent;
    for (const SentLine& line : readSentLines(csvPath)) {
        const QString kind = line.kind.toLower();
        sent.kinds.insert(kind);
        if (kind == "running" || kind == "start")
            sent.records.push_back(line.record);
    }
    return sent;
}

// Whether `logged` is one of the frames sent, apart from its stamp.
bool wasSent(const SentFrames& sent, const MeasurementRecord& logged)
{
    return isOneOf(logged, sent.records);
}

class LiveCharge : public DesktopSession {
protected:
    XDoTool::Window startMonitoring(const QString& log) { return DesktopSession::startMonitoring(7, log); }

    // Clicks the overview's Exit and expects the program to end promptly and cleanly.
    void exitFromOverview(const XDoTool::Window& main)
    {
        ASSERT_TRUE(click(main, kOverviewButton));
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(click(main, kOverviewExit));
        ASSERT_TRUE(waitForTrelvaneExit(10000)) << "Exit did not end the program";
        EXPECT_LT(clock.elapsed(), 2000);
        EXPECT_TRUE(trelvaneEndedNormally());
        EXPECT_EQ(trelvaneExitCode(), 0) << trelvaneOutput().toStdString();
    }
};

TEST_F(LiveCharge, RecordsOneStampedRecordPerSecondAndShowsItUntilExit)
{
    const QString log = path(QStringLiteral("charge.tvr"));
    const QString sentCsv = path(QStringLiteral("sent.csv"));
    ASSERT_TRUE(startSimulator(7,
                               {QStringLiteral("--scenario"), QStringLiteral("charge-v1"), QStringLiteral("--cells"),
                                QStringLiteral("4"), QStringLiteral("--battery"), QStringLiteral("lipo"),
                                QStringLiteral("--seconds"), QStringLiteral("6")},
                               sentCsv));
    const XDoTool::Window main = startMonitoring(log);
    ASSERT_NE(main.id, 0u);

    const XDoTool::Window box = waitForMessageBox(30000);
    ASSERT_NE(box.id, 0u) << "no \"Monitor completed\" box after the end frame";
    // One short line and OK: not a log-file warning with its informative text.
    EXPECT_LT(box.geometry.width(), 250);
    EXPECT_LT(box.geometry.height(), 120);

    // The log: whole records stamped 1..k, each a frame the charger sent.
    qint64 size = -1;
    const std::vector<MeasurementRecord> records = readRecords(log, &size);
    EXPECT_EQ(size % 64, 0);
    ASSERT_GE(records.size(), 4u);
    EXPECT_LE(records.size(), 9u); // a 6 s charge cannot fill more seconds than that
    EXPECT_GT(records.back().capacity, records.front().capacity) << "the same frame logged every second";
    const SentFrames sent = readSent(sentCsv);
    ASSERT_TRUE(sent.kinds.count(QStringLiteral("end"))) << "the simulator sent no end frame";
    for (std::size_t i = 0; i < records.size(); ++i) {
        const MeasurementRecord& r = records[i];
        SCOPED_TRACE(::testing::Message() << "record " << i + 1);
        EXPECT_EQ(r.elapsedSeconds, static_cast<int>(i) + 1);
        EXPECT_TRUE(wasSent(sent, r)) << "voltage " << r.voltage << ", capacity " << r.capacity;
        EXPECT_GT(r.voltage, 1.0f);
        EXPECT_LT(r.voltage, 40.0f);
        EXPECT_EQ(r.chargeMode, 1);
        for (int cell = 0; cell < 4; ++cell) {
            EXPECT_GT(r.cellVoltage[cell], 2.5f) << "cell " << cell + 1;
            EXPECT_LT(r.cellVoltage[cell], 4.5f) << "cell " << cell + 1;
        }
        for (int cell = 4; cell < 8; ++cell)
            EXPECT_EQ(r.cellVoltage[cell], 0.0f) << "cell " << cell + 1;
    }

    // The overview: charge lamp red, text in the four cell rows and not the fifth.
    const ScreenShot overview = screenShot(QStringLiteral("overview"));
    ASSERT_FALSE(overview.isNull());
    EXPECT_EQ(overview.countColour(lampRect(main, 0), kChargeLampColour), kLampPixels);
    const QImage background = viewBackground(150);
    ASSERT_FALSE(background.isNull());
    const QPoint viewOrigin = main.geometry.topLeft() + kViewOrigin;
    for (int row = 1; row <= 4; ++row)
        EXPECT_GT(overview.countUnlike(cellRowRect(main, row), background, viewOrigin, 24), 20) << "cell row " << row;
    EXPECT_EQ(overview.countUnlike(cellRowRect(main, 5), background, viewOrigin, 24), 0) << "cell row 5";

    // The detail view replaces the overview, its own artwork behind the chart:
    // the title strip and the right-hand column (no chart there) match the
    // detail background closely, and far better than the overview did.
    const QImage detailBackground = viewBackground(153);
    ASSERT_FALSE(detailBackground.isNull());
    const QRect titleStrip = QRect(120, 0, 904, 20).translated(viewOrigin);
    const QRect artColumn = QRect(930, 20, 94, 660).translated(viewOrigin);
    const int artPixels = titleStrip.width() * titleStrip.height() + artColumn.width() * artColumn.height();
    const auto unlikeDetailArt = [&](const ScreenShot& shot) {
        return shot.countUnlike(titleStrip, detailBackground, viewOrigin, 16)
            + shot.countUnlike(artColumn, detailBackground, viewOrigin, 16);
    };
    const int unlikeOverview = unlikeDetailArt(overview);
    ASSERT_TRUE(click(main, kDetailButton));
    int unlikeDetail = -1;
    EXPECT_TRUE(waitFor(
        [&] {
            const ScreenShot detail = screenShot(QStringLiteral("detail"));
            unlikeDetail = unlikeDetailArt(detail);
            return unlikeDetail < artPixels / 100 && detail.countColour(lampRect(main, 0), kChargeLampColour) == 0;
        },
        5000, 200))
        << unlikeDetail << " of " << artPixels << " pixels unlike the detail background";
    EXPECT_GT(unlikeOverview, 4 * unlikeDetail + artPixels / 50);

    exitFromOverview(main);
}

TEST_F(LiveCharge, UnplugLightsDisconnectBesideTheChargeLampAndCompletes)
{
    const QString log = path(QStringLiteral("unplug.tvr"));
    ASSERT_TRUE(startSimulator(7,
                               {QStringLiteral("--scenario"), QStringLiteral("unplug"), QStringLiteral("--cells"),
                                QStringLiteral("4"), QStringLiteral("--seconds"), QStringLiteral("8")},
                               path(QStringLiteral("sent.csv"))));
    const XDoTool::Window main = startMonitoring(log);
    ASSERT_NE(main.id, 0u);

    ASSERT_NE(waitForMessageBox(30000).id, 0u) << "no \"Monitor completed\" box after the charger fell silent";
    EXPECT_GE(readRecords(log).size(), 2u);

    // The thread's repaint adds the blue lamp without erasing the red one.
    int red = 0;
    int blue = 0;
    EXPECT_TRUE(waitFor(
        [&] {
            const ScreenShot shot = screenShot(QStringLiteral("unplugged"));
            red = shot.countColour(lampRect(main, 0), kChargeLampColour);
            blue = shot.countColour(lampRect(main, 3), kDisconnectLampColour);
            return red == kLampPixels && blue == kLampPixels;
        },
        5000, 200))
        << "charge lamp pixels " << red << ", disconnect lamp pixels " << blue;

    exitFromOverview(main);
}

TEST_F(LiveCharge, FileSizeLimitEndsTheLogAtWholeRecordsWhileTheProgramRecordsOn)
{
    const QString log = path(QStringLiteral("limited.tvr"));
    // Room for three records and ten bytes of the fourth: that append is cut
    // short by the kernel, and writing on would raise SIGXFSZ.
    trelvane_.setChildProcessModifier([] {
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 3 * 64 + 10;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    ASSERT_TRUE(startSimulator(7,
                               {QStringLiteral("--scenario"), QStringLiteral("charge-v1"), QStringLiteral("--cells"),
                                QStringLiteral("4"), QStringLiteral("--seconds"), QStringLiteral("8")},
                               path(QStringLiteral("sent.csv"))));
    const XDoTool::Window main = startMonitoring(log);
    ASSERT_NE(main.id, 0u);

    const auto fate = [this] {
        if (!waitForTrelvaneExit(100))
            return std::string("trelvane still runs");
        return std::string("trelvane ended") + (trelvaneEndedNormally() ? "" : " by a signal");
    };
    const XDoTool::Window notice = waitForMessageBox(30000);
    ASSERT_NE(notice.id, 0u) << "no notice that the log cannot be written; " << fate();
    // The charge is recorded to its end: "Monitor completed" follows.
    ASSERT_NE(waitForMessageBox(30000, notice.id).id, 0u) << "the recording did not go on to its end; " << fate();
    ASSERT_FALSE(waitForTrelvaneExit(100)) << fate();

    qint64 size = -1;
    const std::vector<MeasurementRecord> records = readRecords(log, &size);
    EXPECT_EQ(size, 3 * 64) << "the log does not end at the last whole record";
    ASSERT_EQ(records.size(), 3u);
    for (std::size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(records[i].elapsedSeconds, static_cast<int>(i) + 1);

    exitFromOverview(main);
}

} // namespace
