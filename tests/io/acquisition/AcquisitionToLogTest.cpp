// From the line to the log file: the acquisition thread reads a short
// variant-1 charge from a pseudo-terminal while a real QTimer on this (the UI)
// thread drives the recording tick; the log must hold one record per tick,
// stamped 1..n, each equal to the frame that was live at that tick.
// Only correctness is checked; the short tick period says nothing about time.

#include "ChargerFrames.h"
#include "PtyCharger.h"
#include "RecordingAcquisitionHost.h"

#include "acquisition/CReceiveThread.h"
#include "acquisition/UiThreadCall.h"
#include "recording/LogFile.h"
#include "recording/RecordingTick.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int kTickPeriodMs = 50;

bool pumpUntil(const std::function<bool()>& condition, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Waits without running the UI thread, so no tick can happen meanwhile.
bool eventually(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class QuietRecordingHost : public RecordingHost {
public:
    void showCellIndicators(int) override {}
    void transferOverviewData() override {}
    void invalidate(View) override {}
    void logWriteFailed(const std::string&, const std::string& reason) override { failure = reason; }
    void logWriteRecovered(const std::string&) override {}
    void logFileReplaced(const LogFileChange&) override {}
    std::string failure;
};

// The main window's timer side: starts and stops a real QTimer on the UI
// thread through UiThreadCall, and records the calls like its base.
class TimerHost : public RecordingAcquisitionHost {
public:
    TimerHost(SharedWords& words, QTimer& timer, UiThreadCall& ui)
        : RecordingAcquisitionHost(words), timer_(timer), ui_(ui) {}

    int startRecordingTimer() override
    {
        const int id = RecordingAcquisitionHost::startRecordingTimer();
        return ui_.call(
            [this, id] {
                timer_.start(kTickPeriodMs);
                return id;
            },
            0);
    }
    void stopRecordingTimer() override
    {
        RecordingAcquisitionHost::stopRecordingTimer();
        ui_.call([this] { timer_.stop(); });
    }
    void cancelBlockingCalls() override
    {
        ui_.cancel();
        RecordingAcquisitionHost::cancelBlockingCalls();
    }

private:
    QTimer& timer_;
    UiThreadCall& ui_;
};

std::vector<MeasurementRecord> readLog(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes.size() % kRecordSize, 0u) << "whole records only";
    std::vector<MeasurementRecord> records;
    for (std::size_t at = 0; at + kRecordSize <= bytes.size(); at += kRecordSize)
        records.push_back(fromBytes(bytes.data() + at));
    return records;
}

TEST(AcquisitionToLog, ShortChargeIsLoggedOncePerTickWithTheLiveFrame)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray savedConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    PtyCharger pty(7);
    ASSERT_TRUE(pty.ok());
    const std::string logPath = dir.filePath(QStringLiteral("charge.tvr")).toStdString();
    ASSERT_EQ(createLogFile(logPath), "");

    SharedWords words;
    words.portIndex = 4;
    LiveRecord live;
    ChartState state;
    QuietRecordingHost recordingHost;
    SampleHistory history(state, words, recordingHost);
    RecordingTick tick(history, live, logPath);
    QObject window;
    QTimer timer(&window);
    int ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, &window, [&] {
        tick.tick();
        ++ticks;
    });
    UiThreadCall ui(&window);
    TimerHost host(words, timer, ui);
    CReceiveThread thread(words, live, host); // declared last: stops first

    thread.start();
    // Frame k is live for at least two ticks before frame k + 1 is sent; ticks
    // run only while this thread pumps events, never while a frame changes.
    // The charge starts with a frame whose readings are already live, so even
    // a tick between the timer start and its decode logs that frame.
    std::vector<MeasurementRecord> decoded;
    const std::uint8_t voltages[] = {0x8A, 0x8B, 0x8C, 0x8D};
    for (std::uint8_t v : voltages) {
        pty.write(ChargerFrames::variant1(ChargerFrames::kMarkerRunning, v));
        ASSERT_TRUE(eventually([&] { return live.copy().voltage == ChargerFrames::voltageFor(v); }));
        decoded.push_back(live.copy());
        if (v == voltages[0]) {
            pty.write(ChargerFrames::variant1(ChargerFrames::kMarkerStart, v));
            ASSERT_TRUE(pumpUntil([&] { return words.recordingTimer.load() == kRecordingTimerId; }));
        }
        const int seen = ticks;
        ASSERT_TRUE(pumpUntil([&] { return ticks >= seen + 2; }));
    }
    pty.write(ChargerFrames::variant1(ChargerFrames::kMarkerEnd));
    ASSERT_TRUE(pumpUntil([&] { return host.count("message Monitor completed") == 1; }));
    EXPECT_FALSE(timer.isActive());
    const int finalTicks = ticks;
    EXPECT_TRUE(thread.shutdown());

    EXPECT_EQ(recordingHost.failure, "");
    const std::vector<MeasurementRecord> records = readLog(logPath);
    ASSERT_EQ(static_cast<int>(records.size()), finalTicks);
    ASSERT_GE(records.size(), 2 * std::size(voltages));

    // Each record is a decoded frame, stamped with its tick, frames in order.
    std::size_t frame = 0;
    std::vector<int> ticksPerFrame(decoded.size(), 0);
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].elapsedSeconds, static_cast<int>(i) + 1);
        MeasurementRecord unstamped = records[i];
        unstamped.elapsedSeconds = 0;
        while (frame < decoded.size() && !sameBits(unstamped, decoded[frame]))
            ++frame;
        ASSERT_LT(frame, decoded.size()) << "record " << i + 1 << " is no live frame in order";
        ++ticksPerFrame[frame];
    }
    for (std::size_t k = 0; k < decoded.size(); ++k)
        EXPECT_GE(ticksPerFrame[k], 2) << "frame " << k;
    EXPECT_FLOAT_EQ(records.back().voltage, ChargerFrames::voltageFor(0x8D));
    EXPECT_EQ(records.back().capacity, 1232);
    EXPECT_EQ(state.historyCount, finalTicks);

    qputenv("XDG_CONFIG_HOME", savedConfigHome);
}

} // namespace
