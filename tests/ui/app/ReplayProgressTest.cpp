// A replay that takes longer than a moment: the main window comes up with
// empty charts and a progress display instead of freezing, keeps handling
// events, shows the finished state only, and a cancel leaves the charts empty
// with a notice, as an unreadable file does.
#include "app/AppState.h"
#include "app/CMonitorDlg.h"
#include "recording/LogReplay.h"
#include "recording/SilentRecordingHost.h"
#include "tests/ui/app/FakeDialogServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

bool until(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A sparse file of zero records: long to read, nothing on the disk.
QString sparseLog(const QTemporaryDir& dir, const QString& name, qint64 bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_TRUE(file.resize(bytes));
    return path;
}

class ReplayProgress : public ::testing::Test {
protected:
    void replay(const QString& path)
    {
        app.words.runMode = 1;
        app.logOpenPath = path;
    }
    QTemporaryDir dir;
    AppState app;
    FakeDialogServices services;
};

TEST_F(ReplayProgress, LongReplayShowsProgressStaysResponsiveAndCancelLeavesEmptyCharts)
{
    replay(sparseLog(dir, "<i>huge.tvr", 2LL << 30));
    QElapsedTimer clock;
    clock.start();
    CMonitorDlg window(app, services);
    EXPECT_LT(clock.elapsed(), 3000) << "the window must not wait for the whole file";
    window.show();
    ASSERT_TRUE(until([&] { return window.replayProgress() && window.replayProgress()->isVisible(); }, 5000));
    auto* label = window.replayProgress()->findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_TRUE(label->text().contains("<i>huge.tvr"));

    // Events go on being handled while the file is read.
    int ticks = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] { ++ticks; });
    beat.start(10);
    until([] { return false; }, 300);
    EXPECT_GE(ticks, 5);
    EXPECT_TRUE(window.replayRunning());
    EXPECT_EQ(app.chart.historyCount, 0) << "the charts see the finished state only";

    auto* cancel = window.replayProgress()->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_TRUE(until([&] { return !window.replayRunning(); }, 5000));
    EXPECT_EQ(window.replayProgress(), nullptr);
    ASSERT_TRUE(until([&] { return !services.notified.isEmpty(); }, 2000));
    EXPECT_TRUE(services.notified.first().contains("cancelled"));
    EXPECT_EQ(app.chart.historyCount, 0);
    EXPECT_EQ(app.chart.timeSpan, 10);
    EXPECT_EQ(app.chart.range(Quantity::Voltage).maximum, 0.0f);
    EXPECT_EQ(app.words.cellsStatus.load(), -1);
}

TEST_F(ReplayProgress, LongReplayEndsWithTheStateAReplayGives)
{
    const QString path = sparseLog(dir, "long.tvr", 400LL << 20);
    replay(path);
    CMonitorDlg window(app, services);
    window.show();
    const bool slow = window.replayRunning();
    ASSERT_TRUE(until([&] { return !window.replayRunning(); }, 60000));
    EXPECT_EQ(window.replayProgress(), nullptr);

    ChartState expected;
    SharedWords words;
    words.runMode = 1;
    SilentRecordingHost host;
    SampleHistory history(expected, words, host);
    const ReplayReport report = readLogFile(QFile::encodeName(path).toStdString(), history);
    EXPECT_EQ(report.records, (400LL << 20) / 64);
    EXPECT_EQ(app.chart.historyCount, expected.historyCount);
    EXPECT_EQ(app.chart.timeSpan, expected.timeSpan);
    EXPECT_EQ(app.chart.thinningStep, expected.thinningStep);
    EXPECT_EQ(app.chart.xScale, expected.xScale);
    EXPECT_EQ(app.words.cellsStatus.load(), words.cellsStatus.load());
    // A sparse file holds no stamps, so the one notice that may come says so;
    // nothing was cancelled or cut short.
    for (const QString& notice : services.notified)
        EXPECT_TRUE(notice.contains("does not look like one recording")) << notice.toStdString();
    if (!slow)
        GTEST_LOG_(INFO) << "this machine read the file within the quiet time: no progress was needed";
}

TEST_F(ReplayProgress, ShortReplayIsOverBeforeTheWindowShows)
{
    const QString path = dir.filePath("short.tvr");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(64 * 1000, '\0'));
    file.close();
    replay(path);
    CMonitorDlg window(app, services);
    EXPECT_FALSE(window.replayRunning());
    EXPECT_EQ(window.replayProgress(), nullptr);
    EXPECT_EQ(app.chart.historyCount, kHistoryCapacity);
}

} // namespace
