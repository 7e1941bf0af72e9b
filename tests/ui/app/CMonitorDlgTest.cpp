// The main window: its 1024 x 720 client area filled by the views, maximising
// with nothing moved, the two views and their swap, replay without a thread
// and its notice for a file that does not look like a recording, live
// monitoring with exactly one thread that records through the tick, a log
// replaced under the run, the thread's failure path closing the window and
// then saying "exit" (and no other close saying it), a finished recording
// added to the run library, Help, About, Analyse and Runs, and a close from
// any state ending promptly.
#include "acquisition/CReceiveThread.h"
#include "acquisition/MeasurementRecord.h"
#include "analysis/AnalysisWindow.h"
#include "app/AppState.h"
#include "app/CAboutDlg.h"
#include "app/CMonitorDlg.h"
#include "charts/CDetailPanel.h"
#include "controls/CImageButton.h"
#include "library/LibraryScan.h"
#include "library/RunLibrary.h"
#include "library/RunTableModel.h"
#include "library/RunsWindow.h"
#include "overview/COverviewPanel.h"
#include "tests/io/acquisition/PseudoTerminal.h"
#include "tests/ui/ScopedEnvironment.h"
#include "tests/ui/app/FakeDialogServices.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(10);
    }
    return true;
}

// True when the condition holds throughout, with the UI thread's events running.
bool holdsWhileProcessing(const std::function<bool()>& condition, int windowMs)
{
    QDeadlineTimer deadline(windowMs);
    while (!deadline.hasExpired()) {
        if (!condition())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(10);
    }
    return condition();
}

// Polls without running the UI thread's events, so a call the acquisition
// thread queued to it stays pending.
bool waitWithoutEvents(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

QMessageBox* visibleBox(const QString& text)
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box && box->isVisible() && box->text() == text)
            return box;
    }
    return nullptr;
}

// A 76-byte frame with every data byte at the zero offset; `marker` is byte 24.
std::string frame76(std::uint8_t marker)
{
    std::string f(76, static_cast<char>(0x80));
    f[0] = '{';
    f[75] = '}';
    f[8] = static_cast<char>(0x81);  // charging
    f[23] = static_cast<char>(0x81); // Li-Ion/poly
    f[24] = static_cast<char>(marker);
    f[35] = static_cast<char>(0x8C); // 12.
    f[36] = static_cast<char>(0xA2); // .34 V
    for (int cell = 0; cell < 3; ++cell) {
        f[45 + 2 * cell] = static_cast<char>(0x83);
        f[46 + 2 * cell] = static_cast<char>(0xC6); // 3.70 V
    }
    return f;
}

void writeLog(const QString& path, int records)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int i = 1; i <= records; ++i) {
        MeasurementRecord r;
        r.voltage = 12.0f + 0.01f * static_cast<float>(i);
        r.capacity = 10 * i;
        r.chargeMode = 1;
        r.elapsedSeconds = i;
        const RecordBytes bytes = toBytes(r);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
}

class MainWindow : public ::testing::Test {
protected:
    void TearDown() override { qunsetenv("TRELVANE_PORTS_DIR"); }

    // Points COM5 at a fresh pseudo-terminal and selects it.
    void attachCharger()
    {
        ASSERT_TRUE(pty.ok());
        ASSERT_TRUE(QFile::link(pty.slavePath(), dir.filePath("COM5")));
        qputenv("TRELVANE_PORTS_DIR", dir.path().toLocal8Bit());
        app.words.portIndex = 2;
        app.words.runMode = 0;
    }

    // Replay mode with a log of `records` samples (the file stays unwritten for -1).
    void prepareReplay(const QString& name, int records)
    {
        app.words.runMode = 1;
        app.logOpenPath = dir.filePath(name);
        if (records >= 0)
            writeLog(app.logOpenPath, records);
    }

    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5)); }

    // A charge under way: a running frame every 200 ms until `charger` stops or goes.
    void keepCharging(QTimer& charger)
    {
        QObject::connect(&charger, &QTimer::timeout, [this] { pty.write(frame76(0x82)); });
        charger.start(200);
    }

    QTemporaryDir dir;
    PseudoTerminal pty;
    AppState app;
    FakeDialogServices services;
};

TEST_F(MainWindow, StartsOnTheOverviewAndSwapsViews)
{
    prepareReplay("none.tvr", 0);
    CMonitorDlg window(app, services);
    window.show();
    EXPECT_EQ(window.size(), QSize(1024, 720));
    EXPECT_EQ(window.windowTitle(), "Trelvane");
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window.overview()->isVisible());
    EXPECT_FALSE(window.detail()->isVisible());
    EXPECT_EQ(window.overview()->geometry(), QRect(0, 20, 1024, 700));
    EXPECT_EQ(window.detail()->geometry(), QRect(0, 20, 1024, 700));

    click(window.detailButton());
    EXPECT_FALSE(window.overview()->isVisible());
    EXPECT_TRUE(window.detail()->isVisible());
    click(window.overviewButton());
    click(window.overviewButton());
    EXPECT_TRUE(window.overview()->isVisible());
    EXPECT_FALSE(window.detail()->isVisible());
}

TEST_F(MainWindow, ViewsReachTheBottomEdgeOfTheClientArea)
{
    prepareReplay("ten.tvr", 10);
    CMonitorDlg window(app, services);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QImage shot = window.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(1024, 720));
    // The window's last row is the overview's last row: no band of plain colour under the views.
    const QImage view = window.overview()->grab().toImage();
    for (int x : {0, 300, 512, 900, 1023})
        EXPECT_EQ(shot.pixel(x, 719), view.pixel(x, 699)) << "x " << x;
}

TEST_F(MainWindow, MaximisedNothingMovesAndTheRestShowsTheDarkField)
{
    prepareReplay("ten.tvr", 10);
    CMonitorDlg window(app, services);
    window.show();
    // A window manager offers to maximise only a window whose size is not pinned.
    EXPECT_EQ(window.minimumSize(), QSize(1024, 720));
    EXPECT_GT(window.maximumSize().width(), 1024);
    EXPECT_GT(window.maximumSize().height(), 720);
    const QImage before = window.grab().toImage();

    window.resize(1400, 1000); // what maximising on a larger screen does
    ASSERT_EQ(window.size(), QSize(1400, 1000));
    EXPECT_EQ(window.overview()->geometry(), QRect(0, 20, 1024, 700));
    EXPECT_EQ(window.detail()->geometry(), QRect(0, 20, 1024, 700));
    EXPECT_EQ(window.helpButton()->geometry(), QRect(163, 0, 84, 21));
    const QImage after = window.grab().toImage();
    for (QPoint p : {QPoint(0, 0), QPoint(200, 10), QPoint(1023, 5), QPoint(500, 400), QPoint(1023, 719)})
        EXPECT_EQ(after.pixel(p), before.pixel(p)) << "moved at " << p.x() << "," << p.y();
    const QRgb dark = qRgb(57, 54, 51);
    for (QPoint p : {QPoint(1024, 0), QPoint(1300, 500), QPoint(0, 720), QPoint(700, 900), QPoint(1399, 999)})
        EXPECT_EQ(after.pixel(p), dark) << "at " << p.x() << "," << p.y();
}

struct OddReplay {
    const char* name;
    QByteArray bytes;
    const char* detailSays; // nullptr: no notice
};

void PrintTo(const OddReplay& c, std::ostream* os)
{
    *os << c.name;
}

QByteArray recordBytes(int stamp)
{
    MeasurementRecord r;
    r.elapsedSeconds = stamp;
    r.voltage = 12.0f;
    const RecordBytes bytes = toBytes(r);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

class MainWindowReplayNotice : public MainWindow, public ::testing::WithParamInterface<OddReplay> {};

TEST_P(MainWindowReplayNotice, SaysOnceWhatIsOddAndStillReplays)
{
    const OddReplay& c = GetParam();
    prepareReplay("odd.tvr", -1);
    QFile file(app.logOpenPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(c.bytes);
    file.close();

    CMonitorDlg window(app, services);
    window.show();
    if (c.detailSays == nullptr) {
        EXPECT_TRUE(holdsWhileProcessing([&] { return services.notified.isEmpty(); }, 300));
        return;
    }
    ASSERT_TRUE(waitFor([&] { return !services.notified.isEmpty(); }, 2000));
    EXPECT_TRUE(holdsWhileProcessing([&] { return services.notified.size() == 1; }, 200));
    EXPECT_EQ(services.notified.first(),
              QStringLiteral("The log file \"%1\" does not look like one recording").arg(app.logOpenPath));
    EXPECT_TRUE(services.details.first().contains(QString::fromUtf8(c.detailSays))) << services.details.first().toStdString();
    EXPECT_EQ(app.chart.historyCount, static_cast<int>(c.bytes.size() / 64)) << "not replayed as it stands";
}

INSTANTIATE_TEST_SUITE_P(
    Files, MainWindowReplayNotice,
    ::testing::Values(
        OddReplay{"Recording", recordBytes(1) + recordBytes(2) + recordBytes(3), nullptr},
        OddReplay{"EmptyAsStartLeavesIt", QByteArray(), nullptr},
        OddReplay{"SixtyThreeBytes", QByteArray(63, '\x42'), "a fragment of 63 bytes after 0 whole records"},
        // A picture renamed .tvr: its bytes read as wild stamps.
        OddReplay{"Picture", QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(120, '\xC7'),
                  "Record 1 is stamped -943208505 where a recording starts at 1: the stamps do not rise"},
        OddReplay{"GapInTheStamps", recordBytes(1) + recordBytes(2) + recordBytes(5),
                  "Seconds 3 to 4 are missing (the line was lost during the recording)."}),
    [](const ::testing::TestParamInfo<OddReplay>& info) { return std::string(info.param.name); });

TEST_F(MainWindow, TabButtonsKeepTheirTemplateSizesWithTheShortSetUp)
{
    prepareReplay("x.tvr", 1);
    CMonitorDlg window(app, services);
    struct Case {
        CImageButton* button;
        const char* caption;
        QRect geometry;
    };
    for (const Case& c : {Case{window.overviewButton(), "Overview", QRect(0, 0, 82, 21)},
                          Case{window.detailButton(), "Detail Window", QRect(82, 0, 81, 21)},
                          Case{window.helpButton(), "Help", QRect(163, 0, 84, 21)}}) {
        EXPECT_EQ(c.button->text(), c.caption);
        EXPECT_EQ(c.button->geometry(), c.geometry) << c.caption;
        EXPECT_TRUE(c.button->hasImages() && c.button->hasImageOut()) << c.caption;
        EXPECT_FALSE(c.button->isTransparent()) << c.caption;
        EXPECT_TRUE(c.button->drawsEdge()) << c.caption;
        EXPECT_EQ(c.button->pressShift(), QPoint(1, 1)) << c.caption;
        EXPECT_EQ(c.button->slotColour(1), QColor(Qt::white)) << c.caption;
        EXPECT_EQ(c.button->slotColour(3), QColor(Qt::white)) << c.caption;
    }
}

TEST_F(MainWindow, ReplayLoadsTheFileAndStartsNoThread)
{
    prepareReplay("ten.tvr", 10);
    CMonitorDlg window(app, services);
    EXPECT_EQ(window.acquisitionThread(), nullptr);
    EXPECT_EQ(app.chart.historyCount, 10);
    EXPECT_EQ(app.chart.timeSpan, 10);
    EXPECT_EQ(app.words.cellsStatus.load(), 0);
}

TEST_F(MainWindow, ReplayOfAMissingFileSaysWhyAndShowsEmptyCharts)
{
    prepareReplay("gone.tvr", -1);
    CMonitorDlg window(app, services);
    window.show();
    ASSERT_TRUE(waitFor([&] { return !services.notified.isEmpty(); }, 2000));
    EXPECT_TRUE(services.notified.first().contains(app.logOpenPath));
    EXPECT_FALSE(services.details.first().isEmpty());
    EXPECT_EQ(app.chart.historyCount, 0);
}

TEST_F(MainWindow, LiveModeStartsOneThreadThatRecordsAChargeAndStopsOnClose)
{
    attachCharger();
    app.logSavePath = dir.filePath("live.tvr");
    CMonitorDlg window(app, services);
    window.show();
    ASSERT_NE(window.acquisitionThread(), nullptr);
    EXPECT_TRUE(window.acquisitionThread()->isRunning());

    ASSERT_TRUE(pty.write(frame76(0x81)));
    // The charger keeps talking; a silent second would end the recording.
    QTimer charger;
    keepCharging(charger);
    ASSERT_TRUE(waitFor([&] { return window.recordingTimerActive(); }, 3000));
    ASSERT_TRUE(waitFor([&] { return QFileInfo(app.logSavePath).size() >= 64; }, 4000));
    EXPECT_GE(app.chart.historyCount, 1);
    EXPECT_EQ(app.words.cellCount.load(), 3);
    EXPECT_TRUE(window.overview()->cellIndicator(2)->isVisible());
    EXPECT_FALSE(window.overview()->cellIndicator(3)->isVisible());

    QElapsedTimer clock;
    clock.start();
    window.close();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(window.acquisitionThread(), nullptr);
    EXPECT_FALSE(window.recordingTimerActive());

    // No tick after the close: the log stops growing although the charger talks on.
    const qint64 logged = QFileInfo(app.logSavePath).size();
    EXPECT_TRUE(holdsWhileProcessing([&] { return QFileInfo(app.logSavePath).size() == logged; }, 1500));
}

TEST_F(MainWindow, ClosingWhileTheThreadWaitsToStartTheTimerLeavesItStopped)
{
    attachCharger();
    app.logSavePath = dir.filePath("late.tvr");
    app.words.secondsCounter = 42;
    CMonitorDlg window(app, services);
    window.show();
    ASSERT_TRUE(pty.write(frame76(0x81)));
    // The decoder resets the counter just before it asks for the timer; with
    // this thread's events held, the request is still waiting here.
    ASSERT_TRUE(waitWithoutEvents([&] { return app.words.secondsCounter.load() == 0; }, 3000));
    ASSERT_FALSE(window.recordingTimerActive());

    QElapsedTimer clock;
    clock.start();
    window.close();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(window.acquisitionThread(), nullptr);
    EXPECT_EQ(app.words.recordingTimer.load(), 0);

    // The request that was pending must not start the timer of a closed window.
    EXPECT_TRUE(holdsWhileProcessing([&] { return !window.recordingTimerActive(); }, 1500));
    EXPECT_FALSE(QFileInfo::exists(app.logSavePath) && QFileInfo(app.logSavePath).size() > 0);
}

TEST_F(MainWindow, EndFrameStopsRecordingAndTheThreadReportsCompletion)
{
    attachCharger();
    app.logSavePath = dir.filePath("ended.tvr");
    CMonitorDlg window(app, services);
    window.show();
    ASSERT_TRUE(pty.write(frame76(0x81)));
    QTimer charger;
    keepCharging(charger);
    ASSERT_TRUE(waitFor([&] { return app.chart.historyCount >= 1; }, 4000));
    charger.stop();
    ASSERT_TRUE(pty.write(frame76(0x80)));
    ASSERT_TRUE(waitFor([&] { return visibleBox("Monitor completed") != nullptr; }, 3000));
    EXPECT_FALSE(window.recordingTimerActive());
    EXPECT_EQ(app.words.cellsStatus.load(), 0); // charging lamp kept

    QElapsedTimer clock;
    clock.start();
    window.close(); // while the thread waits for the box
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST_F(MainWindow, ARecordingEndedAnyWayGoesIntoTheRunLibraryOrABoxSaysWhyNot)
{
    // The user's library follows XDG_DATA_HOME; one that cannot be made lies inside a file.
    writeLog(dir.filePath("a-file"), 0);
    enum class Told { Nothing, Notice, BoxAfterTheClose };
    const auto endFrame = [this](CMonitorDlg&) {
        EXPECT_TRUE(pty.write(frame76(0x80)));
        EXPECT_TRUE(waitFor([] { return visibleBox("Monitor completed") != nullptr; }, 3000));
    };
    const auto closeBox = [](CMonitorDlg& w) { w.close(); };
    const auto esc = [](CMonitorDlg& w) { QTest::keyClick(&w, Qt::Key_Escape); };
    const struct {
        const char* how;
        std::function<void(CMonitorDlg&)> end; // ends the recording while the charger talks
        bool libraryUsable;
        Told told;
    } cases[] = {
        {"end frame", endFrame, true, Told::Nothing},
        {"close box", closeBox, true, Told::Nothing},
        {"Esc", esc, true, Told::Nothing},
        {"end frame, no library", endFrame, false, Told::Notice},
        {"close box, no library", closeBox, false, Told::BoxAfterTheClose},
        {"Esc, no library", esc, false, Told::BoxAfterTheClose},
    };
    attachCharger();
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        const QString dataHome = c.libraryUsable ? dir.filePath(QStringLiteral("data%1").arg(n)) : dir.filePath("a-file");
        const ScopedEnvironment data("XDG_DATA_HOME", QFile::encodeName(dataHome));
        app.logSavePath = dir.filePath(QStringLiteral("charge%1.tvr").arg(n++));
        services.notified.clear();
        services.informed.clear();
        services.details.clear();
        // A window closed mid-charge leaves the word set; a new program starts without it.
        app.words.recordingTimer.store(0);
        {
            CMonitorDlg window(app, services);
            window.show();
            ASSERT_TRUE(pty.write(frame76(0x81)));
            QTimer charger;
            keepCharging(charger);
            ASSERT_TRUE(waitFor([&] { return QFileInfo(app.logSavePath).size() >= 2 * 64; }, 5000));
            charger.stop(); // a second of silence would end the recording by itself
            window.showRuns();
            QPointer<RunsWindow> runs = window.findChild<RunsWindow*>();
            ASSERT_FALSE(runs.isNull());
            EXPECT_EQ(runs->model()->rowCount(), 0);
            c.end(window);
            if (c.told == Told::Nothing && window.isVisible()) {
                EXPECT_TRUE(waitFor([&] { return runs && runs->model()->rowCount() == 1; }, 5000))
                    << "the open Runs window shows the run just added";
            }
            if (c.told == Told::Notice) {
                EXPECT_TRUE(waitFor([&] { return !services.notified.isEmpty(); }, 5000));
            }
            window.close();
            // As the program does once its window has closed.
            window.awaitAcquisitionEnd();
            window.awaitLibrary();
        }
        EXPECT_GE(QFileInfo(app.logSavePath).size(), 2 * 64) << "the log is never touched";
        const QStringList& told = c.told == Told::Notice ? services.notified : services.informed;
        if (c.told == Told::Nothing) {
            EXPECT_TRUE(services.notified.isEmpty() && services.informed.isEmpty());
            RunLibrary library((dataHome + QStringLiteral("/trelvane/library.sqlite")).toStdString(),
                               RunLibrary::Access::Read);
            ASSERT_EQ(library.runs().size(), 1u);
            EXPECT_EQ(library.runs().front().path, libraryPathOf(app.logSavePath.toStdString()));
        } else {
            ASSERT_EQ(told.size(), 1) << "notified " << services.notified.size() << ", informed " << services.informed.size();
            EXPECT_EQ(told.first(), QStringLiteral("The run was not added to the run library"));
            EXPECT_TRUE(services.details.first().contains(QStringLiteral("The log file is complete")));
        }
    }
}

TEST_F(MainWindow, PortThatCannotBeOpenedIsReportedClosesTheWindowThenSaysExit)
{
    qputenv("TRELVANE_PORTS_DIR", dir.path().toLocal8Bit());
    app.words.portIndex = 12; // COM15: nothing there
    app.words.runMode = 0;
    app.logSavePath = dir.filePath("never.tvr");
    CMonitorDlg window(app, services);
    window.show();
    QMessageBox* box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = visibleBox("USB device open failed,software will exit!")) != nullptr; }, 3000));
    EXPECT_FALSE(box->informativeText().isEmpty());
    EXPECT_EQ(visibleBox("exit"), nullptr);
    box->accept();
    ASSERT_TRUE(waitFor([&] { return !window.isVisible(); }, 3000));
    EXPECT_EQ(window.result(), QDialog::Rejected);

    // Then, with the main window closed, the thread's exit step.
    QMessageBox* exitBox = nullptr;
    ASSERT_TRUE(waitFor([&] { return (exitBox = visibleBox("exit")) != nullptr; }, 3000))
        << "no \"exit\" after the window closed";
    EXPECT_FALSE(window.isVisible());
    exitBox->accept();
    QElapsedTimer clock;
    clock.start();
    window.awaitAcquisitionEnd();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(window.acquisitionThread(), nullptr);
}

TEST_F(MainWindow, ClosingItDuringMonitoringNeverSaysExit)
{
    const struct {
        const char* how;
        std::function<void(CMonitorDlg&)> close;
    } ways[] = {
        {"close box", [](CMonitorDlg& w) { w.close(); }},
        {"Esc", [](CMonitorDlg& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
        {"Exit on the overview", [](CMonitorDlg& w) { QTest::mouseClick(w.overview()->exitButton(), Qt::LeftButton, {}, QPoint(5, 5)); }},
    };
    attachCharger();
    for (const auto& way : ways) {
        app.logSavePath = dir.filePath("run.tvr");
        CMonitorDlg window(app, services);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_TRUE(window.acquisitionThread() && window.acquisitionThread()->isRunning()) << way.how;
        way.close(window);
        EXPECT_FALSE(window.isVisible()) << way.how;
        window.awaitAcquisitionEnd();
        EXPECT_EQ(window.acquisitionThread(), nullptr) << way.how;
        EXPECT_TRUE(holdsWhileProcessing([] { return visibleBox("exit") == nullptr; }, 300)) << way.how;
    }
}

TEST_F(MainWindow, LogDeletedDuringTheRecordingIsToldOnceAndRecordingGoesOn)
{
    attachCharger();
    app.logSavePath = dir.filePath("live.tvr");
    CMonitorDlg window(app, services);
    window.show();
    ASSERT_TRUE(pty.write(frame76(0x81)));
    QTimer charger;
    keepCharging(charger);
    ASSERT_TRUE(waitFor([&] { return QFileInfo(app.logSavePath).size() >= 64; }, 4000));
    ASSERT_TRUE(QFile::remove(app.logSavePath));
    ASSERT_TRUE(waitFor([&] { return QFileInfo(app.logSavePath).size() >= 2 * 64; }, 4000));

    ASSERT_EQ(services.notified.size(), 1);
    EXPECT_EQ(services.notified.first(),
              QStringLiteral("The log file \"%1\" was moved or deleted during the recording").arg(app.logSavePath));
    EXPECT_TRUE(services.details.first().contains(app.logSavePath));
    window.close();
}

TEST_F(MainWindow, ClosedBeforeTheThreadsCloseRequestArrivesEndsOnceWithoutFurtherBoxes)
{
    qputenv("TRELVANE_PORTS_DIR", dir.path().toLocal8Bit());
    app.words.portIndex = 12;
    app.words.runMode = 0;
    CMonitorDlg window(app, services);
    window.show();
    QMessageBox* box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = visibleBox("USB device open failed,software will exit!")) != nullptr; }, 3000));
    box->accept(); // releases the thread, which queues its close request
    QElapsedTimer clock;
    clock.start();
    window.close(); // the user is quicker
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.acquisitionThread(), nullptr);
    EXPECT_EQ(window.result(), QDialog::Rejected);

    int finished = 0;
    QObject::connect(&window, &QDialog::finished, [&] { ++finished; });
    EXPECT_TRUE(holdsWhileProcessing([&] { return finished == 0 && visibleBox("exit") == nullptr; }, 500))
        << "the dropped request neither closes the window again nor shows a box";
}

TEST_F(MainWindow, HelpOpensTheManualOnlyWhenItExists)
{
    prepareReplay("x.tvr", 1);
    CMonitorDlg window(app, services);
    window.setManualPath(dir.filePath("MANUAL.pdf"));
    click(window.helpButton());
    EXPECT_TRUE(services.opened.isEmpty());
    EXPECT_TRUE(services.informed.isEmpty());
    EXPECT_TRUE(services.notified.isEmpty());

    QFile manual(dir.filePath("MANUAL.pdf"));
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.write("%PDF-1.4\n");
    manual.close();
    click(window.helpButton());
    EXPECT_EQ(services.opened, QStringList{dir.filePath("MANUAL.pdf")});
}

TEST_F(MainWindow, AboutBoxShowsTheVersionAndAnEmptySecondLine)
{
    prepareReplay("x.tvr", 1);
    CMonitorDlg window(app, services);
    window.show();
    QString title, version, second = "unset";
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        if (!about)
            return;
        title = about->windowTitle();
        version = about->versionLine()->text();
        second = about->secondLine()->text();
        about->accept();
    });
    window.showAbout();
    EXPECT_EQ(title, "About Trelvane");
    EXPECT_EQ(version, "Trelvane Version 1.0");
    EXPECT_EQ(second, "");
}

TEST_F(MainWindow, RightClickMenuEntryOpensTheAboutBox)
{
    prepareReplay("x.tvr", 1);
    CMonitorDlg window(app, services);
    window.show();

    QStringList entries;
    bool aboutShown = false;
    QTimer aboutCloser;
    QObject::connect(&aboutCloser, &QTimer::timeout, [&] {
        if (auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget())) {
            aboutShown = true;
            about->accept();
        }
    });
    aboutCloser.start(10);
    // Reads the menu from inside its event loop and chooses the entry.
    QTimer menuDriver;
    QObject::connect(&menuDriver, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !entries.isEmpty())
            return;
        for (QAction* action : menu->actions())
            entries << action->text();
        if (menu->actions().isEmpty()) {
            menu->close();
            return;
        }
        QAction* entry = nullptr;
        for (QAction* action : menu->actions())
            entry = action->text() == QStringLiteral("&About Trelvane...") ? action : entry;
        menu->close();
        if (entry)
            entry->trigger();
    });
    menuDriver.start(10);
    // On a chart, far from any button: the views pass the request up.
    QWidget* chart = window.overview()->childAt(400, 150);
    ASSERT_NE(chart, nullptr);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), chart->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(chart, &event);
    EXPECT_TRUE(waitFor([&] { return aboutShown; }, 3000));
    menuDriver.stop();
    aboutCloser.stop();
    EXPECT_EQ(entries, (QStringList{"&About Trelvane...", "Analyse log...", "Runs..."}));
}

TEST_F(MainWindow, AnalyseEntryOpensTheRecordedOrReplayedLogInAChildWindow)
{
    enum class Mode { Replay, Live, LiveLogReplaced };
    for (Mode mode : {Mode::Replay, Mode::Live, Mode::LiveLogReplaced}) {
        const bool live = mode != Mode::Replay;
        SCOPED_TRACE(static_cast<int>(mode));
        if (live) {
            if (mode == Mode::Live)
                attachCharger();
            app.logSavePath = dir.filePath("recording.tvr");
            writeLog(app.logSavePath, 7);
        } else {
            prepareReplay("replayed.tvr", 5);
        }
        app.words.recordingTimer.store(0);
        CMonitorDlg window(app, services);
        window.show();
        QString recordedTo = live ? app.logSavePath : app.logOpenPath;
        if (mode == Mode::LiveLogReplaced) {
            // Another file takes the log's place: the records go on beside it.
            ASSERT_TRUE(pty.write(frame76(0x81)));
            QTimer charger;
            keepCharging(charger);
            ASSERT_TRUE(waitFor([&] { return QFileInfo(app.logSavePath).size() >= 64; }, 4000));
            ASSERT_TRUE(QFile::remove(app.logSavePath));
            writeLog(app.logSavePath, 3);
            recordedTo = dir.filePath("recording-2.tvr");
            ASSERT_TRUE(waitFor([&] { return QFileInfo(recordedTo).size() >= 2 * 64; }, 5000));
            charger.stop();
        }
        window.openAnalysis();
        const QList<AnalysisWindow*> opened = window.findChildren<AnalysisWindow*>();
        ASSERT_EQ(opened.size(), 1);
        AnalysisWindow* analysis = opened.front();
        // A window of its own that the modal main window does not block.
        EXPECT_TRUE(analysis->isWindow());
        EXPECT_TRUE(analysis->isVisible());
        ASSERT_EQ(analysis->session().runCount(), 1u);
        EXPECT_EQ(QString::fromStdString(analysis->session().run(0).path()), recordedTo);
        const std::size_t records = mode == Mode::Replay ? 5u : mode == Mode::Live ? 7u : 2u;
        EXPECT_GE(analysis->session().run(0).data().size(), records);
        analysis->close();
    }
}

TEST_F(MainWindow, RunsOpensTheLibraryInAWindowOfItsOwnThatGoesWhenClosed)
{
    prepareReplay("x.tvr", 1);
    const ScopedEnvironment dataHome("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
    CMonitorDlg window(app, services);
    window.show();
    window.showRuns();
    QPointer<RunsWindow> runs = window.findChild<RunsWindow*>();
    ASSERT_NE(runs, nullptr);
    EXPECT_TRUE(runs->isWindow());
    EXPECT_TRUE(runs->isVisible());
    EXPECT_TRUE(runs->status()->text().contains(dir.filePath("data/trelvane/library.sqlite")));
    runs->close();
    EXPECT_TRUE(waitFor([&] { return runs.isNull(); }, 2000));
}

TEST_F(MainWindow, ExitButtonsOfBothViewsCloseTheWindow)
{
    for (bool detail : {false, true}) {
        prepareReplay("x.tvr", 1);
        CMonitorDlg window(app, services);
        window.show();
        QPushButton* exit = nullptr;
        if (detail) {
            window.showDetail();
            exit = window.detail()->button(CDetailPanel::kExitButtonId);
        } else {
            exit = window.overview()->exitButton();
        }
        ASSERT_NE(exit, nullptr);
        click(exit);
        EXPECT_FALSE(window.isVisible()) << (detail ? "detail" : "overview");
    }
}

} // namespace
