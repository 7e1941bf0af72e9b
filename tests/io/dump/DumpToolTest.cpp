// trelvane-dump run as a program: the CSV it prints for a hand-made byte file,
// standard input and a pseudo-terminal, how live inputs end, and the exit
// status and message when the input cannot be opened.
#include "core/acquisition/TestFrames.h"
#include "io/acquisition/PseudoTerminal.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testframes::frame;

const QString kDump = QStringLiteral(TRELVANE_BIN_DIR "/trelvane-dump");

const std::string kHeader = "length,variant,kind,auxValue,voltage,current,temperature,capacity,"
                            "cell1,cell2,cell3,cell4,cell5,cell6,cell7,cell8,batteryType,chargeMode";

std::string bytesOf(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A 76-byte start frame with every field set at its own index.
std::string startFrame76()
{
    return bytesOf(frame(76, 0xEE,
                         {{8, 0x81}, {23, 0x82}, {24, 0x81}, {33, 0x82}, {34, 0xA6}, {35, 0x8C},
                          {36, 0xB2}, {38, 0x99}, {41, 0x81}, {42, 0x93}, {43, 0x8C}, {44, 0xA0},
                          {45, 0x84}, {46, 0xCF}, {47, 0x83}, {48, 0xED}, {49, 0x83}, {50, 0x99},
                          {51, 0x81}, {52, 0x80}, {53, 0x85}, {54, 0x80}, {55, 0x80}, {56, 0x9B},
                          {57, 0x7E}, {58, 0x7B}, {59, 0x80}, {60, 0xAD}}));
}
const std::string kStartLine76 = "76,1,start,1.18999994,12.5,2.37999988,25,1232,4.78999996,4.09000015,"
                                 "3.25,1,5,0.269999981,-2.04999995,0.449999988,2,1";

std::string startFrame112()
{
    return bytesOf(frame(112, 0x80, {{1, 0x81}, {2, 0x85}, {7, 0x8C}, {8, 0xA0}, {15, 0x83}, {16, 0x99}}));
}
const std::string kStartLine112 = "112,2,start,0,3.25,0,0,1232,0,0,0,0,0,0,0,0,133,0";

std::string endFrame112() { return bytesOf(frame(112, 0x80, {{1, 0x80}})); }
const std::string kEndLine112 = "112,2,end,,,,,,,,,,,,,,,";

// Noise, a frame before any variant, both variants, an end frame, an
// overlong frame with a brace in its data, a frame broken by 0x00, and a
// short frame read with the variant of the frame before it.
std::string sampleStream()
{
    auto overlong = frame(200, 0x90);
    overlong[150] = testframes::kOpen;
    return "xy" + bytesOf(frame(50)) + "\x01\x02" + startFrame76() + startFrame112() + endFrame112()
        + bytesOf(overlong) + bytesOf(frame(76, 0x80, {{10, 0x00}}))
        + bytesOf(frame(76, 0x80, {{24, 0x82}})) + bytesOf(frame(50, 0x80, {{24, 0x82}}));
}
const std::vector<std::string> kSampleLines = {
    kHeader,
    "50,0,unknown,,,,,,,,,,,,,,,",
    kStartLine76,
    kStartLine112,
    kEndLine112,
    "76,1,running,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0",
    "50,1,running,0,0,0,0,0,0,0,-4.27999973,-129.279999,-129.279999,-129.279999,-129.279999,"
    "-129.279999,0,0",
};

struct DumpRun {
    int exitCode = -1;
    bool normalExit = false;
    std::vector<std::string> lines;
    std::string err;
};

std::vector<std::string> splitLines(const QByteArray& text)
{
    std::vector<std::string> lines;
    for (const QByteArray& line : text.split('\n'))
        lines.emplace_back(line.constData(), static_cast<std::size_t>(line.size()));
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

DumpRun finish(QProcess& process, int timeoutMs = 20000)
{
    DumpRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "trelvane-dump did not finish";
    }
    run.normalExit = process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.lines = splitLines(process.readAllStandardOutput());
    run.err = process.readAllStandardError().toStdString();
    return run;
}

DumpRun runDump(const QStringList& args, const QString& stdinFile = {})
{
    QProcess process;
    if (!stdinFile.isEmpty())
        process.setStandardInputFile(stdinFile);
    process.start(kDump, args);
    EXPECT_TRUE(process.waitForStarted()) << kDump.toStdString();
    return finish(process);
}

struct DumpTool : ::testing::Test {
    QTemporaryDir dir;

    QString writeFile(const std::string& bytes)
    {
        const QString path = dir.filePath("stream.bin");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }
};

TEST_F(DumpTool, FilePrintsOneLinePerFrameAndNotesTheOverlongOne)
{
    const DumpRun run = runDump({writeFile(sampleStream())});
    EXPECT_TRUE(run.normalExit);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines, kSampleLines);
    EXPECT_NE(run.err.find("discarded 1 overlong frame"), std::string::npos) << run.err;
}

TEST_F(DumpTool, StandardInputIsReadToItsEnd)
{
    const QString path = writeFile(sampleStream());
    for (const QStringList& args : {QStringList{"-"}, QStringList{}}) {
        const DumpRun run = runDump(args, path);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.lines, kSampleLines);
    }
}

TEST_F(DumpTool, HexColumnHoldsTheRawFrameBytes)
{
    const DumpRun run = runDump({"--hex", writeFile("{}" + endFrame112())});
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.lines.size(), 3u);
    EXPECT_EQ(run.lines[0], kHeader + ",hex");
    EXPECT_EQ(run.lines[1], "2,0,unknown,,,,,,,,,,,,,,,,7b7d");
    std::string hex = "7b80";
    for (int i = 2; i < 111; ++i)
        hex += "80";
    hex += "7d";
    EXPECT_EQ(run.lines[2], kEndLine112 + "," + hex);
}

TEST_F(DumpTool, FrameLimitStopsAFileEarly)
{
    const DumpRun run = runDump({"--frames", "2", writeFile(sampleStream())});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines, std::vector<std::string>(kSampleLines.begin(), kSampleLines.begin() + 3));
}

TEST_F(DumpTool, InputsThatCannotBeOpenedExitWithStatus1)
{
    struct Case {
        QStringList args;
        std::string messageStart;
        std::string reasonPart;
    };
    const std::string missingFile = dir.filePath("missing.bin").toStdString();
    const Case cases[] = {
        {{"--device", "/nonexistent/trelvane-tty"}, "trelvane-dump: /nonexistent/trelvane-tty: ", ""},
        {{"--device", QString::fromStdString(missingFile)}, "trelvane-dump: " + missingFile + ": ", ""},
        {{QString::fromStdString(missingFile)}, "trelvane-dump: " + missingFile + ": ", "No such file"},
        {{dir.path()}, "trelvane-dump: " + dir.path().toStdString() + ": ", "Is a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const DumpRun run = runDump(c.args);
        EXPECT_TRUE(run.normalExit);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.lines.empty());
        EXPECT_EQ(run.err.rfind(c.messageStart, 0), 0u) << run.err;
        EXPECT_GT(run.err.size(), c.messageStart.size() + 1) << "a reason follows";
        EXPECT_NE(run.err.find(c.reasonPart), std::string::npos) << run.err;
    }
}

TEST_F(DumpTool, BadCommandLineExitsWithStatus2AndTheReason)
{
    const struct {
        QStringList args;
        std::string message;
    } cases[] = {
        {{"--bogus"}, "trelvane-dump: unknown option --bogus\n"},
        {{"--frames", "0"}, "trelvane-dump: --frames: needs a whole number of at least 1, not '0'\n"},
        {{"--port"}, "trelvane-dump: --port needs a value (N)\n"},
        {{"--port", "0"}, "trelvane-dump: --port: needs a whole number from 1 to 255, not '0'\n"},
        {{"a", "b"}, "trelvane-dump: unexpected argument b\n"},
        {{"--port", "3", "-"}, "trelvane-dump: give only one input (--port, --device, FILE or -)\n"},
        {{"--device", "/dev/null", "a"}, "trelvane-dump: give only one input (--port, --device, FILE or -)\n"},
        {{"--idle-exit", "nan"}, "trelvane-dump: --idle-exit: needs a number of at least 0, not 'nan'\n"},
        {{"--idle-exit", "0"}, "trelvane-dump: --idle-exit: needs a number of seconds above 0, not '0'\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const DumpRun run = runDump(c.args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.lines.empty());
        EXPECT_EQ(run.err.rfind(c.message, 0), 0u) << run.err;
    }
    const DumpRun help = runDump({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    ASSERT_FALSE(help.lines.empty());
    EXPECT_EQ(help.lines[0].rfind("Usage: trelvane-dump", 0), 0u);
}

// A live dump prints the header once the device is open.
bool waitForHeader(QProcess& process)
{
    QDeadlineTimer deadline(10000);
    while (!process.canReadLine() && !deadline.hasExpired())
        process.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    return process.canReadLine() && process.readLine().trimmed().toStdString() == kHeader;
}

TEST_F(DumpTool, DeviceDumpEndsAfterTheIdleTime)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    QProcess process;
    process.start(kDump, {"--device", pty.slavePath(), "--idle-exit", "2"});
    ASSERT_TRUE(waitForHeader(process));
    ASSERT_TRUE(pty.write(sampleStream()));
    const DumpRun run = finish(process);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines, std::vector<std::string>(kSampleLines.begin() + 1, kSampleLines.end()));
    EXPECT_NE(run.err.find("discarded 1 overlong frame"), std::string::npos) << run.err;
}

TEST_F(DumpTool, DeviceDumpEndsAfterTheFrameLimit)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    QProcess process;
    process.start(kDump, {"--device", pty.slavePath(), "--frames", "2"});
    ASSERT_TRUE(waitForHeader(process));
    ASSERT_TRUE(pty.write(startFrame112() + startFrame112() + startFrame112()));
    const DumpRun run = finish(process);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines, (std::vector<std::string>{kStartLine112, kStartLine112}));
}

TEST_F(DumpTool, IdleLimitBeyondTheClocksRangeStillWaitsForFrames)
{
    // 1e10 s is more nanoseconds than the clock holds: the limit must not wrap
    // into a deadline that has already passed.
    for (const QString& seconds : {QStringLiteral("1e10"), QStringLiteral("1e300")}) {
        SCOPED_TRACE(seconds.toStdString());
        PseudoTerminal pty;
        ASSERT_TRUE(pty.ok());
        QProcess process;
        process.start(kDump, {"--device", pty.slavePath(), "--idle-exit", seconds, "--frames", "1"});
        ASSERT_TRUE(waitForHeader(process));
        ASSERT_TRUE(pty.write(startFrame112()));
        const DumpRun run = finish(process);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.lines, std::vector<std::string>{kStartLine112});
    }
}

TEST_F(DumpTool, DeviceDumpEndsOnSigterm)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    QProcess process;
    process.start(kDump, {"--device", pty.slavePath()});
    ASSERT_TRUE(waitForHeader(process));
    ASSERT_TRUE(pty.write(startFrame76()));
    // The frame is printed as soon as it is complete; then stop the dump.
    QDeadlineTimer deadline(10000);
    while (!process.canReadLine() && !deadline.hasExpired())
        process.waitForReadyRead(100);
    ASSERT_TRUE(process.canReadLine());
    EXPECT_EQ(process.readLine().trimmed().toStdString(), kStartLine76);
    process.terminate();
    const DumpRun run = finish(process);
    EXPECT_TRUE(run.normalExit);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.lines.empty());
}

} // namespace
