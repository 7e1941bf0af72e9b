// The acquisition thread on a real pseudo-terminal: the monitoring lifecycle
// (waiting, recording, finished), the messages and their order, the port
// memory, and that shutdown ends the thread promptly from every state.

#include "ChargerFrames.h"
#include "PtyCharger.h"
#include "RecordingAcquisitionHost.h"

#include "acquisition/CReceiveThread.h"
#include "acquisition/LiveRecord.h"
#include "acquisition/PortMemory.h"
#include "acquisition/SerialLink.h"
#include "acquisition/SharedWords.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include <sys/syscall.h>

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;

namespace {

constexpr int kPortNumber = 7;
constexpr int kPortIndex = kPortNumber - 3;
const std::string kOpenFailed = "message USB device open failed,software will exit!";
const std::string kCompleted = "message Monitor completed";
const std::string kExit = "message exit";

// Polls a condition that no host call announces, until a deadline.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// True when the condition holds throughout the window (for "nothing happens").
bool holdsFor(const std::function<bool()>& condition, std::chrono::milliseconds window)
{
    const auto end = std::chrono::steady_clock::now() + window;
    while (std::chrono::steady_clock::now() < end) {
        if (!condition())
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return condition();
}

// The system call the acquisition thread is blocked in, or -1 (running, or
// no /proc). Tells a blocked read (poll) from the 20 ms sleep (futex).
long acquisitionThreadSyscall()
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(tid + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "CReceiveThread")
            continue;
        QFile syscall(tasks.filePath(tid + QStringLiteral("/syscall")));
        if (!syscall.open(QIODevice::ReadOnly))
            return -1;
        bool number = false;
        const long call = syscall.readAll().split(' ').value(0).trimmed().toLong(&number);
        return number ? call : -1;
    }
    return -1;
}

bool blockedInRead()
{
    const long call = acquisitionThreadSyscall();
#ifdef SYS_poll
    if (call == SYS_poll)
        return true;
#endif
    return call == SYS_ppoll;
}

bool contains(const Calls& calls, const std::string& call)
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

// The calls after the first occurrence of `first`, `first` included.
Calls from(const Calls& calls, const std::string& first)
{
    auto it = std::find(calls.begin(), calls.end(), first);
    return Calls(it, calls.end());
}

class ReceiveThread : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config_.isValid());
        savedConfigHome_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
        pty_ = std::make_unique<PtyCharger>(kPortNumber);
        ASSERT_TRUE(pty_->ok());
        words_.portIndex = kPortIndex;
    }

    void TearDown() override
    {
        if (thread_) {
            EXPECT_TRUE(thread_->shutdown(5000));
        }
        thread_.reset();
        qputenv("XDG_CONFIG_HOME", savedConfigHome_);
    }

    void startThread()
    {
        thread_ = std::make_unique<CReceiveThread>(words_, live_, host_);
        thread_->start();
    }

    bool recording() { return eventually([&] { return words_.recordingTimer.load() == kRecordingTimerId; }); }
    bool decodedVoltage(std::uint8_t voltageByte)
    {
        return eventually([&] { return live_.copy().voltage == ChargerFrames::voltageFor(voltageByte); });
    }

    QTemporaryDir config_;
    QByteArray savedConfigHome_;
    SharedWords words_;
    LiveRecord live_;
    RecordingAcquisitionHost host_{words_};
    std::unique_ptr<PtyCharger> pty_;
    std::unique_ptr<CReceiveThread> thread_; // last: it stops before the rest goes
};

TEST_F(ReceiveThread, EndFrameBeforeAnyStartLightsConnectAndMonitoringGoesOn)
{
    startThread();
    pty_->write(ChargerFrames::variant1(ChargerFrames::kMarkerEnd));
    ASSERT_TRUE(host_.waitForCall("repaint 2"));
    EXPECT_EQ(words_.cellsStatus.load(), CellsStatus::Connect);
    EXPECT_TRUE(sameBits(live_.copy(), MeasurementRecord{})) << "an end frame is not decoded";

    pty_->write(ChargerFrames::variant1(ChargerFrames::kMarkerRunning, 0x8D));
    EXPECT_TRUE(decodedVoltage(0x8D)) << "the loop went on after the end frame";
    const Calls calls = host_.calls();
    EXPECT_FALSE(contains(calls, "startTimer s=0"));
    EXPECT_FALSE(contains(calls, kCompleted));
}

TEST_F(ReceiveThread, RunningFramesBeforeAStartAreDecodedWithoutRecording)
{
    startThread();
    for (std::uint8_t v : {0x8A, 0x8B, 0x8C})
        pty_->write(ChargerFrames::variant1(ChargerFrames::kMarkerRunning, v));
    ASSERT_TRUE(decodedVoltage(0x8C));

    const MeasurementRecord r = live_.copy();
    EXPECT_FLOAT_EQ(r.current, 2.0f);
    EXPECT_FLOAT_EQ(r.temperature, 25.0f);
    EXPECT_EQ(r.capacity, 1232);
    EXPECT_FLOAT_EQ(r.cellVoltage[0], 4.10f);
    EXPECT_FLOAT_EQ(r.cellVoltage[7], 4.10f);
    EXPECT_EQ(r.batteryType, 1);
    EXPECT_EQ(r.chargeMode, 1);
    EXPECT_EQ(r.elapsedSeconds, 0);
    EXPECT_EQ(words_.frameVariant.load(), 1);
    EXPECT_EQ(words_.recordingTimer.load(), 0);
    for (const std::string& call : host_.calls())
        EXPECT_EQ(call.rfind("startTimer", 0), std::string::npos) << call;
}

TEST_F(ReceiveThread, StartFrameResetsTheSecondsCounterThenStartsTheTimer)
{
    words_.secondsCounter = 42;
    startThread();
    pty_->write(ChargerFrames::variant1(ChargerFrames::kMarkerStart, 0x8E));
    ASSERT_TRUE(recording());
    EXPECT_EQ(host_.calls(), Calls{"startTimer s=0"}) << "the counter is reset before the timer starts";
    EXPECT_TRUE(decodedVoltage(0x8E)) << "a start frame is decoded too";

    // A second start frame while recording only decodes.
    pty_->write(ChargerFrames::variant1(ChargerFrames::kMarkerStart, 0x8F));
    ASSERT_TRUE(decodedVoltage(0x8F));
    EXPECT_EQ(host_.count("startTimer s=0"), 1);
}

TEST_F(ReceiveThread, EndFrameWhileRecordingStopsWithoutBeepAndKeepsTheLamp)
{
    startThread();
    pty_->write(ChargerFrames::variant1(ChargerFrames::kMarkerStart));
    ASSERT_TRUE(recording());
    words_.cellsStatus = CellsStatus::Charge; // as the first tick sets it

    pty_->write(ChargerFrames::variant1(ChargerFrames::kMarkerEnd));
    ASSERT_TRUE(host_.waitForCall(kCompleted));
    EXPECT_EQ(from(host_.calls(), "stopTimer"), (Calls{"stopTimer", kCompleted}));
    EXPECT_EQ(words_.recordingTimer.load(), 0);
    EXPECT_EQ(words_.cellsStatus.load(), CellsStatus::Charge);
    EXPECT_EQ(host_.details().back(), "");
}

TEST_F(ReceiveThread, SilenceWhileRecordingStopsBeepsAndShowsDisconnect)
{
    startThread();
    pty_->write(ChargerFrames::variant1(ChargerFrames::kMarkerStart));
    ASSERT_TRUE(recording());
    words_.cellsStatus = CellsStatus::Charge;

    ASSERT_TRUE(host_.waitForCall(kCompleted));
    EXPECT_EQ(from(host_.calls(), "stopTimer"), (Calls{"stopTimer", "beep", "repaint 3", kCompleted}));
    EXPECT_EQ(words_.recordingTimer.load(), 0);
    EXPECT_EQ(words_.cellsStatus.load(), CellsStatus::Disconnect);
}

TEST_F(ReceiveThread, SilenceWhileWaitingShowsDisconnectAndKeepsListening)
{
    startThread();
    ASSERT_TRUE(host_.waitForCall("repaint 3", 2)) << "polled again after the first time-out";
    EXPECT_EQ(words_.cellsStatus.load(), CellsStatus::Disconnect);

    pty_->write(ChargerFrames::variant1(ChargerFrames::kMarkerStart));
    EXPECT_TRUE(recording());
    const Calls calls = host_.calls();
    EXPECT_FALSE(contains(calls, "beep"));
    EXPECT_FALSE(contains(calls, kCompleted));
}

TEST_F(ReceiveThread, Variant2StreamRecordsFromItsFirstNonEndFrame)
{
    startThread();
    pty_->write(ChargerFrames::variant2(0x80));
    ASSERT_TRUE(host_.waitForCall("repaint 2"));
    EXPECT_EQ(words_.recordingTimer.load(), 0);
    EXPECT_EQ(words_.frameVariant.load(), 2);

    pty_->write(ChargerFrames::variant2(0x81, 0x8D));
    ASSERT_TRUE(recording());
    ASSERT_TRUE(decodedVoltage(0x8D));
    const MeasurementRecord r = live_.copy();
    EXPECT_EQ(r.chargeMode, 0);
    EXPECT_EQ(r.batteryType, 132);
    EXPECT_EQ(r.temperature, 0.0f);
    EXPECT_EQ(r.cellVoltage[6], 0.0f);
    EXPECT_FLOAT_EQ(r.cellVoltage[5], 4.10f);
    EXPECT_EQ(host_.count("startTimer s=0"), 1);
}

TEST_F(ReceiveThread, NothingIsReadAfterMonitorCompleted)
{
    startThread();
    pty_->write(ChargerFrames::variant1(ChargerFrames::kMarkerStart, 0x8D));
    ASSERT_TRUE(recording());
    pty_->write(ChargerFrames::variant1(ChargerFrames::kMarkerEnd));
    ASSERT_TRUE(host_.waitForCall(kCompleted));
    ASSERT_TRUE(decodedVoltage(0x8D));
    const MeasurementRecord before = live_.copy();

    const std::vector<std::uint8_t> later = ChargerFrames::variant1(ChargerFrames::kMarkerStart, 0x90);
    pty_->write(later);
    pty_->write(later);
    EXPECT_TRUE(holdsFor([&] { return sameBits(live_.copy(), before); }, 300ms));
    EXPECT_EQ(pty_->unreadBytes(), 2 * static_cast<int>(later.size())) << "the bytes stay on the line";
    EXPECT_EQ(host_.count("startTimer s=0"), 1);
    EXPECT_FALSE(thread_->isFinished()) << "the thread idles until shutdown";
}

TEST_F(ReceiveThread, MissingPortReportsThenClosesThenSaysExit)
{
    constexpr int kMissingIndex = 12; // COM15: no link, and no /dev/ttyUSB12 here
    if (QFile::exists(QStringLiteral("/dev/ttyUSB12")) || QFile::exists(QStringLiteral("/dev/ttyACM12")))
        GTEST_SKIP() << "this machine has a device for COM15";
    words_.portIndex = kMissingIndex;
    startThread();
    ASSERT_TRUE(thread_->wait(QDeadlineTimer(5000))) << "the thread ends by itself";

    EXPECT_EQ(host_.calls(), (Calls{kOpenFailed, "close", kExit}));
    const auto details = host_.details();
    ASSERT_EQ(details.size(), 2u);
    EXPECT_FALSE(details[0].empty()) << "the box says why the port failed";
    EXPECT_EQ(details[1], "");
    EXPECT_EQ(words_.recordingTimer.load(), 0);
}

TEST_F(ReceiveThread, SuccessfulOpenRemembersThePort)
{
    PortMemory::save(0);
    ASSERT_EQ(PortMemory::load(), 0);
    startThread();
    pty_->write(ChargerFrames::variant1(ChargerFrames::kMarkerEnd));
    ASSERT_TRUE(host_.waitForCall("repaint 2")); // the port was opened earlier
    EXPECT_EQ(PortMemory::load(), kPortIndex);
}

TEST_F(ReceiveThread, HoldsThePortWhileRunningAndReleasesItAtShutdown)
{
    startThread();
    pty_->write(ChargerFrames::variant1(ChargerFrames::kMarkerEnd));
    ASSERT_TRUE(host_.waitForCall("repaint 2")); // open and reading
    SerialLink other;
    EXPECT_FALSE(other.openPort(kPortNumber)) << "the port is held exclusively";

    ASSERT_TRUE(thread_->shutdown(2000));
    EXPECT_TRUE(other.openPort(kPortNumber)) << other.failureReason().toStdString();
}

// Shutdown from each place the thread can be waiting in.
struct ShutdownCase {
    const char* name;
    std::function<void(ReceiveThread&)> enter; // brings the thread into the state
};

void PrintTo(const ShutdownCase& c, std::ostream* os)
{
    *os << c.name;
}

class ReceiveThreadShutdown : public ReceiveThread, public ::testing::WithParamInterface<ShutdownCase> {
public:
    // Exposed for the cases.
    RecordingAcquisitionHost& host() { return host_; }
    PtyCharger& pty() { return *pty_; }
    SharedWords& words() { return words_; }
    LiveRecord& live() { return live_; }
    void start() { startThread(); }
    bool isRecording() { return recording(); }
};

const ShutdownCase kShutdownCases[] = {
    {"BlockedInASilentRead",
     [](ReceiveThread& t) {
         auto& s = static_cast<ReceiveThreadShutdown&>(t);
         s.start();
         ASSERT_TRUE(s.host().waitForCall("repaint 3")); // one read timed out
         ASSERT_TRUE(eventually(blockedInRead)) << "the next read is under way";
     }},
    {"WaitingForTheRestOfAFrame",
     [](ReceiveThread& t) {
         auto& s = static_cast<ReceiveThreadShutdown&>(t);
         s.start();
         const std::vector<std::uint8_t> frame = ChargerFrames::variant1(ChargerFrames::kMarkerRunning);
         s.pty().write(std::vector<std::uint8_t>(frame.begin(), frame.begin() + 10));
         ASSERT_TRUE(eventually(blockedInRead)) << "waiting for the other 66 bytes";
     }},
    {"WaitingForAMessageBox",
     [](ReceiveThread& t) {
         auto& s = static_cast<ReceiveThreadShutdown&>(t);
         s.host().holdMessages(true);
         s.start();
         s.pty().write(ChargerFrames::variant1(ChargerFrames::kMarkerStart));
         s.pty().write(ChargerFrames::variant1(ChargerFrames::kMarkerEnd));
         ASSERT_TRUE(s.host().waitUntilHeldIn(kCompleted));
     }},
    {"WaitingForTheOpenFailureBox",
     [](ReceiveThread& t) {
         auto& s = static_cast<ReceiveThreadShutdown&>(t);
         s.host().holdMessages(true);
         s.words().portIndex = 12;
         s.start();
         ASSERT_TRUE(s.host().waitUntilHeldIn(kOpenFailed));
     }},
    {"WaitingForTheUiThreadToStartTheTimer",
     [](ReceiveThread& t) {
         auto& s = static_cast<ReceiveThreadShutdown&>(t);
         s.host().holdTimerStart(true);
         s.start();
         s.pty().write(ChargerFrames::variant1(ChargerFrames::kMarkerStart));
         ASSERT_TRUE(s.host().waitUntilHeldIn("startTimer s=0"));
     }},
    {"IdleAfterMonitorCompleted",
     [](ReceiveThread& t) {
         auto& s = static_cast<ReceiveThreadShutdown&>(t);
         s.start();
         s.pty().write(ChargerFrames::variant1(ChargerFrames::kMarkerStart));
         s.pty().write(ChargerFrames::variant1(ChargerFrames::kMarkerEnd));
         ASSERT_TRUE(s.host().waitForCall(kCompleted));
     }},
    {"SleepingBetweenStreamedFrames",
     [](ReceiveThread& t) {
         auto& s = static_cast<ReceiveThreadShutdown&>(t);
         s.start();
         // Keep the line busy; each frame carries a new voltage.
         s.pty().write(ChargerFrames::variant1(ChargerFrames::kMarkerStart, 0x81));
         ASSERT_TRUE(s.isRecording());
         int seen = 0;
         std::uint8_t v = 0x82;
         for (int frames = 0; frames < 400 && seen < 5; ++frames, v = static_cast<std::uint8_t>(v == 0xF0 ? 0x82 : v + 1)) {
             s.pty().write(ChargerFrames::variant1(ChargerFrames::kMarkerRunning, v));
             if (eventually([&] { return s.live().copy().voltage == ChargerFrames::voltageFor(v); }, 2s))
                 ++seen;
         }
         ASSERT_EQ(seen, 5);
         // More frames queued, so the loop is decoding and sleeping when the stop comes.
         for (int i = 0; i < 20; ++i)
             s.pty().writeSome(ChargerFrames::variant1(ChargerFrames::kMarkerRunning, 0x90));
         // The pause after a frame is slept in the link, with the wait for the next frame.
         ASSERT_TRUE(eventually(blockedInRead)) << "in the pause after a frame";
     }},
};

TEST_P(ReceiveThreadShutdown, EndsTheThreadPromptlyWithoutFurtherMessages)
{
    GetParam().enter(*this);
    if (HasFatalFailure())
        return;
    const std::size_t callsBefore = host_.calls().size();

    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(thread_->shutdown(2000));
    const qint64 elapsed = clock.elapsed();
    RecordProperty("shutdownMs", static_cast<int>(elapsed));
    EXPECT_LT(elapsed, 2000);
    EXPECT_TRUE(thread_->isFinished());
    EXPECT_TRUE(host_.heldIn().empty()) << "the held call was released";

    const Calls calls = host_.calls();
    const Calls after(calls.begin() + static_cast<long>(std::min(callsBefore, calls.size())), calls.end());
    for (const std::string& call : after) {
        EXPECT_NE(call, kExit) << "no box may hold the closing program open";
        EXPECT_NE(call, "close");
        EXPECT_NE(call, "beep") << "a stop is not a loss of data";
        EXPECT_NE(call, kCompleted);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWaitingState, ReceiveThreadShutdown, ::testing::ValuesIn(kShutdownCases),
                         [](const ::testing::TestParamInfo<ShutdownCase>& info) { return std::string(info.param.name); });

} // namespace
