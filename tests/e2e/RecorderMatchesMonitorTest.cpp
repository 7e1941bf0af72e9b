// trelvane-record and the monitor record the same simulated charge and write
// the same bytes. Both read a pseudo-terminal of their own, fed the same
// frames at the same moments by this test: each frame's values are on the
// line from half a second before the tick that logs them until half a second
// after, so neither program's timer phase decides which frame a tick takes.
#include "e2e/DesktopSession.h"
#include "e2e/ToolRun.h"
#include "e2e/WaitFor.h"

#include "doctor/PortHolders.h"

#include <QDir>
#include <QFile>

#include <chrono>
#include <thread>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr int kMonitorPort = 7;
constexpr int kRecorderPort = 8;
constexpr int kSeconds = 7; // running frames after the start frame, one logged per second

// A charger line: the test writes on the master, a program opens the slave as COMn.
class FedPort {
public:
    FedPort(const QString& portsDir, int port)
    {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            return;
        termios raw{};
        ::tcgetattr(slave_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave_, TCSANOW, &raw);
        path_ = QString::fromLocal8Bit(name);
        linked_ = QFile::link(path_, QDir(portsDir).filePath(QStringLiteral("COM%1").arg(port)));
    }
    ~FedPort()
    {
        if (master_ >= 0)
            ::close(master_);
        if (slave_ >= 0)
            ::close(slave_);
    }
    bool ok() const { return linked_; }
    // Whether a program (not this test) has the line open.
    bool read() const
    {
        struct stat info {};
        return ::stat(QFile::encodeName(path_).constData(), &info) == 0
            && !findPortHolders(info.st_rdev).holders.empty();
    }
    void write(const Bytes& bytes) const
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                return;
            done += static_cast<std::size_t>(n);
        }
    }

private:
    int master_ = -1;
    int slave_ = -1; // held, so the line keeps its settings and data between readers
    QString path_;
    bool linked_ = false;
};

// The simulator's charge, one frame a second, cut into its frames.
std::vector<Bytes> simulatedCharge(const QString& file)
{
    const ToolResult sim = runTool(QStringLiteral("trelvane-charger-sim"),
                                   {"--scenario", "charge-v1", "--cells", "4", "--seconds", QString::number(kSeconds + 1),
                                    "--period-ms", "1000", "--seed", "21", "--output", file, "--no-pace"});
    std::vector<Bytes> frames;
    if (!sim.finished || sim.exitCode != 0)
        return frames;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return frames;
    const QByteArray raw = in.readAll();
    for (qsizetype at = raw.indexOf('{'); at >= 0; at = raw.indexOf('{', at + 1)) {
        const qsizetype close = raw.indexOf('}', at);
        if (close < 0)
            break;
        frames.emplace_back(raw.begin() + at, raw.begin() + close + 1);
        at = close;
    }
    return frames;
}

class RecorderMatchesMonitor : public DesktopSession {};

TEST_F(RecorderMatchesMonitor, SameChargeSameLogBytes)
{
    const std::vector<Bytes> frames = simulatedCharge(path(QStringLiteral("charge.bin")));
    ASSERT_EQ(frames.size(), static_cast<std::size_t>(kSeconds + 2)) << "start, running frames, end";
    ASSERT_EQ(frames.front()[24], 0x81);
    ASSERT_EQ(frames.back()[24], 0x80);

    const QString ports = path(QStringLiteral("ports"));
    const FedPort monitorLine(ports, kMonitorPort);
    const FedPort recorderLine(ports, kRecorderPort);
    ASSERT_TRUE(monitorLine.ok() && recorderLine.ok());
    const QString monitorLog = path(QStringLiteral("monitor.tvr"));
    const QString recorderLog = path(QStringLiteral("recorder.tvr"));

    QProcess recorder;
    recorder.setProcessEnvironment(environment_);
    recorder.start(toolPath(QStringLiteral("trelvane-record")),
                   {"--port", QString::number(kRecorderPort), "--log", recorderLog});
    ASSERT_TRUE(recorder.waitForStarted(10000));
    ASSERT_NE(startMonitoring(kMonitorPort, monitorLog).id, 0u);
    ASSERT_TRUE(waitFor([&] { return monitorLine.read() && recorderLine.read(); }, 20000))
        << "the programs did not open their ports: " << recorder.readAllStandardError().toStdString();

    // The start frame at 0; frame k from k - 0.5 s to k + 0.25 s, every quarter
    // second (the line never falls silent); the end frame at kSeconds + 0.5 s.
    const auto t0 = Clock::now();
    auto feed = [&](const Bytes& frame, double atSeconds) {
        std::this_thread::sleep_until(t0 + std::chrono::milliseconds(static_cast<int>(atSeconds * 1000)));
        monitorLine.write(frame);
        recorderLine.write(frame);
    };
    feed(frames[0], 0.0);
    feed(frames[0], 0.25);
    for (int k = 1; k <= kSeconds; ++k) {
        for (double at : {-0.5, -0.25, 0.0, 0.25})
            feed(frames[static_cast<std::size_t>(k)], k + at);
    }
    feed(frames.back(), kSeconds + 0.5);

    EXPECT_TRUE(recorder.waitForFinished(15000));
    EXPECT_EQ(recorder.exitCode(), 0) << recorder.readAllStandardError().toStdString();
    ASSERT_NE(waitForMessageBox(15000).id, 0u) << "the monitor did not complete";

    QFile a(monitorLog);
    QFile b(recorderLog);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray monitorBytes = a.readAll();
    const QByteArray recorderBytes = b.readAll();
    EXPECT_EQ(monitorBytes.size(), kSeconds * static_cast<qsizetype>(kRecordSize));
    EXPECT_TRUE(recorderBytes == monitorBytes) << "the recorder wrote " << recorderBytes.size()
                                               << " bytes, the monitor " << monitorBytes.size();
    // Seven different seconds, not one frame seven times.
    const std::vector<MeasurementRecord> records = readRecords(recorderLog);
    ASSERT_EQ(records.size(), static_cast<std::size_t>(kSeconds));
    for (std::size_t i = 1; i < records.size(); ++i)
        EXPECT_GT(records[i].capacity, records[i - 1].capacity) << "record " << i + 1;
}

} // namespace
