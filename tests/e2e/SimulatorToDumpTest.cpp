// The simulator on a pseudo-terminal registered as COMn, read by trelvane-dump
// through TRELVANE_PORTS_DIR: every frame the simulator logged arrives, in
// order, with the same fields and bytes; frames a reader cannot receive
// (overlong, carrying 0x00) and noise between frames leave no trace.

#include "e2e/ToolRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct SimRun {
    const char* name;
    QStringList simArgs;
    const char* brokenKind; // a kind of unreceivable frame the run must contain, or ""
    const char* idleExit = "3"; // longer than the longest gap between whole frames
};

void PrintTo(const SimRun& run, std::ostream* os)
{
    *os << run.name;
}

QList<QByteArray> lines(const QByteArray& text)
{
    QList<QByteArray> out;
    for (const QByteArray& line : text.split('\n')) {
        if (!line.isEmpty())
            out << line.toLower();
    }
    return out;
}

QByteArray kindOf(const QByteArray& csvLine)
{
    const QList<QByteArray> columns = csvLine.split(',');
    return columns.size() > 2 ? columns[2] : QByteArray();
}

bool isReceivable(const QByteArray& csvLine)
{
    const QByteArray kind = kindOf(csvLine);
    return kind == "start" || kind == "end" || kind == "running";
}

class SimulatorToDump : public ::testing::TestWithParam<SimRun> {};

} // namespace

TEST_P(SimulatorToDump, DumpPrintsExactlyTheFramesTheSimulatorSent)
{
    const SimRun& run = GetParam();
    QTemporaryDir ports;
    ASSERT_TRUE(ports.isValid());
    const QString sentLog = ports.filePath("sent.csv");
    const QString com = ports.filePath("COM5");

    QProcess sim;
    sim.start(toolPath("trelvane-charger-sim"),
              run.simArgs + QStringList{"--register", ports.path(), "--port", "5", "--wait-for-reader", "30",
                                        "--log", sentLog});
    ASSERT_TRUE(sim.waitForStarted(10000));
    const auto stopSim = qScopeGuard([&] {
        if (sim.state() != QProcess::NotRunning) {
            sim.terminate();
            sim.waitForFinished(5000);
        }
    });
    while (!sim.canReadLine() && sim.waitForReadyRead(10000)) {
    }
    const QString slave = QString::fromLocal8Bit(sim.readLine().trimmed());
    ASSERT_TRUE(slave.startsWith("/dev/")) << slave.toStdString() << sim.readAllStandardError().toStdString();
    ASSERT_EQ(QFileInfo(com).symLinkTarget(), slave);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TRELVANE_PORTS_DIR", ports.path());
    const ToolResult dump = runTool("trelvane-dump", {"--port", "5", "--idle-exit", run.idleExit, "--hex"}, 120000, env);
    ASSERT_TRUE(dump.finished);
    EXPECT_EQ(dump.exitCode, 0) << dump.err.toStdString();

    // The simulator leaves once its reader has gone, and takes its COMn entry with it.
    ASSERT_TRUE(sim.waitForFinished(30000)) << "simulator still running after the reader left";
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0) << sim.readAllStandardError().toStdString();
    EXPECT_FALSE(QFileInfo(com).isSymLink());

    QFile logFile(sentLog);
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    const QList<QByteArray> sent = lines(logFile.readAll());
    const QList<QByteArray> printed = lines(dump.out);
    ASSERT_FALSE(sent.isEmpty());
    ASSERT_FALSE(printed.isEmpty());
    EXPECT_EQ(printed.front(), sent.front()) << "CSV headers differ";

    QList<QByteArray> received;
    int broken = 0;
    for (qsizetype i = 1; i < sent.size(); ++i) {
        if (isReceivable(sent[i]))
            received << sent[i];
        else if (kindOf(sent[i]) == run.brokenKind)
            ++broken;
    }
    ASSERT_GE(received.size(), 10);
    EXPECT_EQ(kindOf(received.front()), "start");
    EXPECT_EQ(kindOf(received.back()), "end");
    if (*run.brokenKind != '\0') {
        EXPECT_GE(broken, 2) << "the run sent no " << run.brokenKind << " frames to survive";
    }

    const QList<QByteArray> dumped = printed.mid(1);
    ASSERT_EQ(dumped.size(), received.size());
    for (qsizetype i = 0; i < received.size(); ++i)
        EXPECT_EQ(dumped[i].toStdString(), received[i].toStdString()) << "frame " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, SimulatorToDump,
    ::testing::Values(
        SimRun{"ChargeV1", {"--scenario", "charge-v1", "--cells", "8", "--battery", "lipo", "--seconds", "3",
                         "--period-ms", "150", "--seed", "11"}, ""},
        SimRun{"ChargeV2", {"--scenario", "charge-v2", "--cells", "6", "--battery", "nimh", "--seconds", "3",
                         "--period-ms", "150", "--seed", "12"}, ""},
        SimRun{"NoiseBetweenFrames", {"--scenario", "noise", "--variant", "2", "--cells", "3", "--seconds", "2",
                                   "--period-ms", "150", "--seed", "13"}, ""},
        SimRun{"OverlongFramesSkipped", {"--scenario", "overlong", "--seconds", "2", "--period-ms", "200",
                                      "--seed", "14"}, "overlong", "8"}, // 5000 bytes take 5.2 s
        SimRun{"NulFramesSkipped", {"--scenario", "nul-bytes", "--battery", "pb", "--cells", "6", "--seconds",
                                 "3", "--period-ms", "150", "--seed", "15"}, "nul"}),
    [](const ::testing::TestParamInfo<SimRun>& info) { return std::string(info.param.name); });
