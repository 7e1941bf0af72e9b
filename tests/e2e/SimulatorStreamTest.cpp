// The simulator's byte stream, read back by index from the frame tables
// without any of the simulator's code: frame layout per scenario, noise,
// overlong and 0x00-carrying frames, determinism, the --log lines, option
// checks, and clean exits (COMn entry removed) on SIGTERM.

#include "e2e/ToolRun.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Stream {
    std::vector<Bytes> frames; // "{" .. "}" inclusive
    std::vector<Bytes> gaps;   // bytes before each frame
};

Stream split(const QByteArray& raw)
{
    Stream s;
    Bytes gap;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const auto b = std::uint8_t(raw[i]);
        if (b != 0x7B) {
            gap.push_back(b);
            continue;
        }
        const qsizetype close = raw.indexOf('}', i);
        if (close < 0)
            break;
        s.frames.emplace_back(raw.begin() + i, raw.begin() + close + 1);
        s.gaps.push_back(gap);
        gap.clear();
        i = close;
    }
    return s;
}

double decimal(const Bytes& f, int i)
{
    return (int(f.at(std::size_t(i))) - 128) + (int(f.at(std::size_t(i) + 1)) - 128) / 100.0;
}

int hundreds(const Bytes& f, int i)
{
    return 100 * (int(f.at(std::size_t(i))) - 128) + (int(f.at(std::size_t(i) + 1)) - 128);
}

int leadingCells(const Bytes& f, int firstIndex, int cellSlots)
{
    int n = 0;
    while (n < cellSlots && decimal(f, firstIndex + 2 * n) != 0.0)
        ++n;
    for (int rest = n; rest < cellSlots; ++rest) {
        if (decimal(f, firstIndex + 2 * rest) != 0.0)
            return -1; // a gap in the cell list
    }
    return n;
}

QByteArray simStream(const QStringList& args, ToolResult* result = nullptr)
{
    const ToolResult r = runTool("trelvane-charger-sim", QStringList{"--output", "-", "--no-pace"} + args);
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    if (result != nullptr)
        *result = r;
    return r.out;
}

struct Charge {
    const char* scenario;
    const char* battery;
    int cells;
    int batteryByte; // as each variant codes the chemistry
};

} // namespace

TEST(SimulatorStream, ChargesFollowTheFrameTables)
{
    const Charge charges[] = {
        {"charge-v1", "lipo", 8, 128 + 1}, {"charge-v1", "nimh", 3, 128 + 2},
        {"charge-v2", "nicd", 6, 133},     {"charge-v2", "pb", 2, 134},
    };
    for (const Charge& c : charges) {
        SCOPED_TRACE(std::string(c.scenario) + " " + c.battery);
        const bool v2 = QByteArray(c.scenario) == "charge-v2";
        const QByteArray raw = simStream({"--scenario", c.scenario, "--battery", c.battery, "--cells",
                                          QString::number(c.cells), "--seconds", "5", "--period-ms", "250"});
        EXPECT_FALSE(raw.contains('\0'));
        const Stream s = split(raw);
        ASSERT_EQ(s.frames.size(), 21u); // 20 frames of charge and the end frame
        const int length = v2 ? 112 : 76, markerAt = v2 ? 1 : 24, voltageAt = v2 ? 15 : 35;
        const int capacityAt = v2 ? 7 : 43, cellsAt = v2 ? 19 : 45, cellSlots = v2 ? 6 : 8;
        for (std::size_t i = 0; i < s.frames.size(); ++i) {
            const Bytes& f = s.frames[i];
            ASSERT_EQ(int(f.size()), length) << "frame " << i;
            EXPECT_TRUE(s.gaps[i].empty());
            EXPECT_EQ(f[std::size_t(v2 ? 2 : 23)], c.batteryByte);
            const bool last = i + 1 == s.frames.size();
            const int marker = f[std::size_t(markerAt)];
            // 112-byte frames: state byte = charge mode + 129, so 0x82 while charging.
            const int expectedMarker = last ? 0x80 : v2 ? 0x82 : i == 0 ? 0x81 : 0x82;
            EXPECT_EQ(marker, expectedMarker) << "frame " << i;
            if (!v2) {
                EXPECT_EQ(f[8], 0x81) << "chargeMode 1 while charging";
            }
            EXPECT_EQ(leadingCells(f, cellsAt, cellSlots), c.cells) << "frame " << i;
            double cellSum = 0.0;
            for (int k = 0; k < c.cells; ++k)
                cellSum += decimal(f, cellsAt + 2 * k);
            EXPECT_NEAR(decimal(f, voltageAt), cellSum, 0.01 * c.cells + 0.01);
            if (i > 0) {
                EXPECT_GE(hundreds(f, capacityAt), hundreds(s.frames[i - 1], capacityAt));
            }
        }
        EXPECT_GT(decimal(s.frames[19], voltageAt), decimal(s.frames[0], voltageAt));
        EXPECT_GT(hundreds(s.frames[19], capacityAt), 0);
    }
}

TEST(SimulatorStream, DischargeIsNotChargingAndVoltageFalls)
{
    const Stream s = split(simStream({"--scenario", "discharge", "--cells", "2", "--seconds", "5"}));
    ASSERT_EQ(s.frames.size(), 21u);
    for (const Bytes& f : s.frames)
        EXPECT_NE(f[8], 0x81) << "chargeMode must not read 1";
    EXPECT_EQ(s.frames.front()[24], 0x81);
    EXPECT_EQ(s.frames.back()[24], 0x80);
    EXPECT_LT(decimal(s.frames[19], 35), decimal(s.frames[0], 35));
}

TEST(SimulatorStream, IdleNeverStartsACharge)
{
    for (const char* variant : {"1", "2"}) {
        SCOPED_TRACE(variant);
        const Stream s = split(simStream({"--scenario", "idle", "--variant", variant, "--seconds", "4"}));
        ASSERT_GE(s.frames.size(), 8u);
        int endFrames = 0;
        for (const Bytes& f : s.frames) {
            const int marker = variant[0] == '2' ? f[1] : f[24];
            EXPECT_NE(marker, 0x81);
            if (variant[0] == '2') {
                EXPECT_EQ(marker, 0x80) << "any other state byte starts a charge in 112-byte frames";
            }
            endFrames += marker == 0x80;
        }
        EXPECT_GT(endFrames, 0);
    }
}

TEST(SimulatorStream, UnplugStopsMidChargeWithoutAnEndFrame)
{
    const Stream s = split(simStream({"--scenario", "unplug", "--seconds", "5"}));
    ASSERT_GE(s.frames.size(), 5u);
    EXPECT_LT(s.frames.size(), 21u);
    EXPECT_EQ(s.frames.front()[24], 0x81);
    for (const Bytes& f : s.frames)
        EXPECT_NE(f[24], 0x80);
}

TEST(SimulatorStream, MidChargeIsTheRestOfTheChargeUnplugBeganWithoutAStartFrame)
{
    for (const char* variant : {"1", "2"}) {
        SCOPED_TRACE(std::string("variant ") + variant);
        const QStringList same{"--variant", variant, "--seconds", "5", "--seed", "7"};
        const QStringList charge{"--scenario", QString("charge-v") + variant};
        const Stream whole = split(simStream(QStringList(charge) << "--seconds" << "5" << "--seed" << "7"));
        const Stream first = split(simStream(QStringList{"--scenario", "unplug"} + same));
        const Stream rest = split(simStream(QStringList{"--scenario", "mid-charge"} + same));
        ASSERT_GE(first.frames.size(), 5u);
        ASSERT_GE(rest.frames.size(), 5u);
        // Together they are the whole charge, frame for frame, end frame included.
        std::vector<Bytes> joined = first.frames;
        joined.insert(joined.end(), rest.frames.begin(), rest.frames.end());
        EXPECT_EQ(joined, whole.frames);
        const std::size_t marker = QByteArray(variant) == "1" ? 24 : 1;
        for (std::size_t i = 0; i + 1 < rest.frames.size(); ++i)
            EXPECT_NE(rest.frames[i][marker], 0x80) << "frame " << i;
        EXPECT_EQ(rest.frames.back()[marker], 0x80);
        if (QByteArray(variant) == "1") {
            for (const Bytes& f : rest.frames)
                EXPECT_NE(f[24], 0x81); // no start frame: a reader joins a charge under way
        }
    }
}

TEST(SimulatorStream, NoiseBetweenFramesCarriesNoBraceOrNul)
{
    const Stream s = split(simStream({"--scenario", "noise", "--seconds", "5", "--seed", "3"}));
    ASSERT_EQ(s.frames.size(), 21u);
    for (std::size_t i = 0; i < s.frames.size(); ++i) {
        EXPECT_EQ(s.frames[i].size(), 76u);
        EXPECT_FALSE(s.gaps[i].empty()) << "no noise before frame " << i;
        for (std::uint8_t b : s.gaps[i]) {
            EXPECT_NE(b, 0x7D);
            EXPECT_NE(b, 0x00);
        }
    }
}

TEST(SimulatorStream, OverlongFramesReachBothBoundsBetweenValidFrames)
{
    const Stream s = split(simStream({"--scenario", "overlong", "--seconds", "10", "--seed", "4"}));
    bool saw113 = false, saw5000 = false;
    int overlong = 0;
    for (std::size_t i = 0; i < s.frames.size(); ++i) {
        const std::size_t n = s.frames[i].size();
        if (n == 76)
            continue;
        ++overlong;
        EXPECT_GE(n, 113u);
        EXPECT_LE(n, 5000u);
        saw113 = saw113 || n == 113;
        saw5000 = saw5000 || n == 5000;
        ASSERT_LT(i + 1, s.frames.size());
        EXPECT_EQ(s.frames[i + 1].size(), 76u) << "an overlong frame must be followed by a valid one";
    }
    EXPECT_TRUE(saw113);
    EXPECT_TRUE(saw5000);
    EXPECT_GE(overlong, 3);
}

TEST(SimulatorStream, NulBytesFramesCarryAZeroInsideTheFrame)
{
    const QByteArray raw = simStream({"--scenario", "nul-bytes", "--seconds", "10", "--seed", "5"});
    int broken = 0;
    for (const Bytes& f : split(raw).frames) {
        EXPECT_EQ(f.size(), 76u);
        std::size_t zeros = 0;
        for (std::size_t k = 1; k + 1 < f.size(); ++k)
            zeros += f[k] == 0x00;
        EXPECT_LE(zeros, 1u);
        broken += zeros == 1;
    }
    EXPECT_GE(broken, 3);
}

TEST(SimulatorStream, SeedDecidesTheBytes)
{
    const QStringList args{"--scenario", "noise", "--seconds", "3"};
    const QByteArray a = simStream(args + QStringList{"--seed", "7"});
    EXPECT_EQ(simStream(args + QStringList{"--seed", "7"}), a);
    EXPECT_NE(simStream(args + QStringList{"--seed", "8"}), a);
}

TEST(SimulatorStream, LogHasOneLinePerFrameWithItsBytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* scenario : {"overlong", "nul-bytes", "noise", "charge-v2"}) {
        SCOPED_TRACE(scenario);
        const QString logPath = dir.filePath(QString(scenario) + ".csv");
        const Stream s = split(simStream({"--scenario", scenario, "--seconds", "4", "--log", logPath}));
        QFile log(logPath);
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
        ASSERT_EQ(std::size_t(lines.size()), s.frames.size() + 1);
        EXPECT_TRUE(lines[0].startsWith("length,variant,kind,"));
        for (std::size_t i = 0; i < s.frames.size(); ++i) {
            const QList<QByteArray> columns = lines[qsizetype(i) + 1].split(',');
            ASSERT_EQ(columns.size(), 19);
            EXPECT_EQ(columns[0].toULong(), s.frames[i].size());
            const QByteArray frameHex =
                QByteArray(reinterpret_cast<const char*>(s.frames[i].data()), qsizetype(s.frames[i].size())).toHex();
            EXPECT_EQ(columns[18], frameHex) << "line " << i + 1;
        }
    }
}

TEST(SimulatorOptions, RefusesWhatAFrameCannotCarry)
{
    const struct {
        QStringList args;
        const char* reason;
    } refused[] = {
        {{"--scenario", "charge-v2", "--cells", "7"}, "112-byte frames carry at most 6 cells"},
        {{"--scenario", "charge-v1", "--variant", "2"}, "--variant contradicts the scenario"},
        {{"--scenario", "sparkle"}, "--scenario: unknown scenario 'sparkle' (charge-v1, charge-v2, "},
        {{"--battery", "lead"}, "--battery: unknown battery 'lead' (lipo, nicd, nimh, pb)"},
        {{"--cells", "9"}, "--cells: needs a whole number from 1 to 8, not '9'"},
        {{"--register", "/tmp"}, "--register needs --port N"},
        {{"--register", "/tmp", "--port", "7"}, "--register only applies to a pseudo-terminal"},
        {{"--period-ms", "0"}, "--period-ms: needs a whole number from 1 to 60000, not '0'"},
        {{"--log", ""}, "--log: needs a path, not an empty one"},
        {{"--device", "/dev/null"}, "give only one of --device and --output"},
        {{"--seconds", "-1"}, "--seconds: needs a number from 0 to 86400, not '-1'"},
        {{"--sparkle"}, "unknown option --sparkle"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ToolResult r = runTool("trelvane-charger-sim", QStringList{"--output", "-"} + c.args);
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith(QByteArray("trelvane-charger-sim: ") + c.reason)) << r.err.toStdString();
    }
    const ToolResult help = runTool("trelvane-charger-sim", {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--scenario"));
}

TEST(SimulatorProcess, TerminationRemovesTheRegisteredPortEvenWhileBlocked)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString com = dir.filePath("COM9");
    // No reader and no pacing: the pty fills up and the simulator waits to write.
    QProcess sim;
    sim.start(toolPath("trelvane-charger-sim"),
              {"--register", dir.path(), "--port", "9", "--scenario", "idle", "--repeat", "--no-pace"});
    ASSERT_TRUE(sim.waitForStarted(10000));
    const auto cleanup = qScopeGuard([&] {
        if (sim.state() != QProcess::NotRunning) {
            sim.kill();
            sim.waitForFinished(5000);
        }
    });
    while (!sim.canReadLine() && sim.waitForReadyRead(10000)) {
    }
    const QString slave = QString::fromLocal8Bit(sim.readLine().trimmed());
    EXPECT_EQ(QFileInfo(com).symLinkTarget(), slave);

    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(10000)) << "SIGTERM did not end the simulator";
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(com).isSymLink());
}

TEST(SimulatorProcess, WaitingForAReaderThatNeverComesFails)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const ToolResult r = runTool("trelvane-charger-sim",
                                 {"--register", dir.path(), "--port", "4", "--wait-for-reader", "0.3"}, 20000);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.out.startsWith("/dev/"));
    EXPECT_TRUE(r.err.contains("no reader"));
    EXPECT_FALSE(QFileInfo(dir.filePath("COM4")).isSymLink());
}
