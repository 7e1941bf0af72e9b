// trelvane-record run as a program against the charger simulator on
// pseudo-terminals: joining a charge under way, a charge kept open across an
// unplug with the outage as a gap in the stamps, three charges split into
// three new files (each added to the run library), a clean stop on SIGTERM
// (a library that cannot be written costs no record), a device that is gone
// for good, and the command lines and ports it refuses.
#include "io/tools/ChargerSimulator.h"
#include "io/tools/PortsFolderTest.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int kPort = 7;

class RecordTool : public PortsFolderTest {
protected:
    void SetUp() override
    {
        PortsFolderTest::SetUp();
        if (HasFatalFailure())
            return;
        // Finished charges go into the user's run library: never the real one.
        env_.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
    }

    bool startSimulator(ChargerSimulator& sim, const QStringList& args, const QString& csv)
    {
        return sim.start(ports(), kPort, args, path(csv));
    }
    bool startRecorder(const QStringList& args) { return startRecorder(recorder_, args); }
    bool startRecorder(ToolProcess& recorder, const QStringList& args)
    {
        return recorder.start(QStringLiteral("trelvane-record"),
                              QStringList{QStringLiteral("--port"), QString::number(kPort)} + args, env_);
    }
    // The output so far, for failure messages.
    static std::string said(ToolProcess& recorder) { return (recorder.output() + recorder.errors()).toStdString(); }
    std::string said() { return said(recorder_); }

    ToolProcess recorder_;
};

// Stamps 1..n with no gap, each record a frame the simulator sent.
void expectWholeCharge(const std::vector<MeasurementRecord>& records, const std::vector<MeasurementRecord>& sent)
{
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].elapsedSeconds, static_cast<int>(i) + 1) << "record " << i + 1;
        EXPECT_TRUE(isOneOf(records[i], sent)) << "record " << i + 1 << " was never sent";
    }
}

TEST_F(RecordTool, JoinsAChargeUnderWayOnlyWhenAsked)
{
    const struct {
        bool join;
        int exitCode;
    } cases[] = {{true, 0}, {false, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.join ? "--join" : "without --join");
        const QString log = path(QStringLiteral("joined-%1.tvr").arg(c.join));
        ChargerSimulator sim;
        ToolProcess recorder;
        ASSERT_TRUE(startSimulator(sim, {"--scenario", "mid-charge", "--seconds", "5"}, "mid.csv"));
        ASSERT_TRUE(startRecorder(recorder, c.join ? QStringList{"--log", log, "--join"} : QStringList{"--log", log}));
        if (!c.join) {
            // Nothing starts a recording: after the end frame only a stop ends it.
            ASSERT_TRUE(waitFor([&] { return sim.sent("end"); }));
            QThread::msleep(500);
            recorder.signal(SIGTERM);
        }
        EXPECT_EQ(recorder.waitForExit(20000), c.exitCode) << said(recorder);
        const std::vector<MeasurementRecord> records = readLog(log);
        EXPECT_EQ(recorder.output().contains("joined a charge already under way"), c.join) << said(recorder);
        if (c.join) {
            EXPECT_GE(records.size(), 2u);
            expectWholeCharge(records, sim.sentRecords());
        } else {
            EXPECT_TRUE(records.empty());
        }
    }
}

TEST_F(RecordTool, ReconnectKeepsTheChargeAcrossAnUnplugAndLeavesTheOutageAsAGap)
{
    const QString log = path(QStringLiteral("reconnect.tvr"));
    const QStringList charge{"--seconds", "6", "--seed", "11"};
    ChargerSimulator before;
    ASSERT_TRUE(startSimulator(before, QStringList{"--scenario", "unplug"} + charge, "before.csv"));
    ASSERT_TRUE(startRecorder({"--log", log, "--reconnect"}));
    ASSERT_TRUE(recorder_.waitForOutput("line lost at", 20000)) << said();
    ASSERT_TRUE(before.unplug());
    ASSERT_TRUE(recorder_.waitForOutput("is gone; waiting for it to come back", 10000)) << said();
    QThread::msleep(1000); // the outage

    ChargerSimulator after;
    ASSERT_TRUE(startSimulator(after, QStringList{"--scenario", "mid-charge"} + charge, "after.csv"));
    EXPECT_EQ(recorder_.waitForExit(30000), 0) << said();
    const QString out = recorder_.output();
    EXPECT_TRUE(out.contains("is back")) << said();

    // The log: stamps rise by one except at the one gap the output names, and
    // what follows the gap is fresh data from after the outage.
    const std::vector<MeasurementRecord> records = readLog(log);
    const QRegularExpressionMatch gap = QRegularExpression("stamps (\\d+) to (\\d+) are missing").match(out);
    ASSERT_TRUE(gap.hasMatch()) << said();
    const int firstMissing = gap.captured(1).toInt();
    const int lastMissing = gap.captured(2).toInt();
    EXPECT_GE(lastMissing - firstMissing + 1, 2) << "the outage lasted more than 2 s";
    ASSERT_GE(records.size(), 4u);
    int jumps = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "record " << i + 1);
        const int stamp = records[i].elapsedSeconds;
        if (i == 0) {
            EXPECT_EQ(stamp, 1);
        } else if (stamp != records[i - 1].elapsedSeconds + 1) {
            ++jumps;
            EXPECT_EQ(records[i - 1].elapsedSeconds, firstMissing - 1);
            EXPECT_EQ(stamp, lastMissing + 1);
            EXPECT_TRUE(isOneOf(records[i], after.sentRecords())) << "stale data after the gap";
        }
        EXPECT_TRUE(isOneOf(records[i], before.sentRecords()) || isOneOf(records[i], after.sentRecords()));
    }
    EXPECT_EQ(jumps, 1);
    EXPECT_TRUE(isOneOf(records.back(), after.sentRecords()));
}

TEST_F(RecordTool, SplitPutsEveryChargeIntoANewFileNamedByItsStart)
{
    const QString charges = path(QStringLiteral("charges"));
    ASSERT_TRUE(QDir().mkpath(charges));
    const QString keep = QDir(charges).filePath(QStringLiteral("keep.tvr"));
    {
        QFile file(keep);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(128, 'k'));
    }
    // The adapter is unplugged between charges: --reconnect follows it.
    const QString library = path(QStringLiteral("runs.sqlite"));
    std::vector<std::vector<MeasurementRecord>> sent;
    for (int charge = 1; charge <= 3; ++charge) {
        SCOPED_TRACE(::testing::Message() << "charge " << charge);
        ChargerSimulator sim;
        ASSERT_TRUE(startSimulator(sim, {"--seconds", "2", "--seed", QString::number(charge)},
                                   QStringLiteral("charge%1.csv").arg(charge)));
        // The port must be there when the recorder starts (a missing one is a wrong
        // argument); the simulator holds its first frame until the recorder opens it.
        if (charge == 1) {
            ASSERT_TRUE(startRecorder({"--split", charges, "--reconnect", "--library", library}));
        }
        ASSERT_TRUE(recorder_.waitForOutput("charge ended after", 20000, charge)) << said();
        sent.push_back(sim.sentRecords());
        ASSERT_TRUE(sim.unplug());
    }
    recorder_.signal(SIGTERM);
    EXPECT_EQ(recorder_.waitForExit(10000), 1) << said();

    QStringList files = QDir(charges).entryList({"*.tvr"}, QDir::Files, QDir::Name);
    files.removeOne(QStringLiteral("keep.tvr"));
    ASSERT_EQ(files.size(), 3) << files.join(' ').toStdString();
    const QRegularExpression name("^\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d(_\\d+)?\\.tvr$");
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(files[i].toStdString());
        EXPECT_TRUE(name.match(files[i]).hasMatch());
        const std::vector<MeasurementRecord> records = readLog(QDir(charges).filePath(files[i]));
        EXPECT_GE(records.size(), 1u);
        expectWholeCharge(records, sent[static_cast<std::size_t>(i)]); // in the order of their starts
    }
    EXPECT_EQ(QFileInfo(keep).size(), 128);

    // Every finished charge was added to the library as it ended.
    EXPECT_EQ(recorder_.output().count(QStringLiteral("added to the run library")), 3) << said();
    ToolProcess list;
    ASSERT_TRUE(list.start(QStringLiteral("trelvane-library"), {"list", "--csv", "--library", library}, env_));
    EXPECT_EQ(list.waitForExit(10000), 0) << said(list);
    for (const QString& file : files)
        EXPECT_TRUE(list.output().contains(file)) << file.toStdString() << said(list);
}

TEST_F(RecordTool, SigtermLosesNoCompletedRecord)
{
    const QString log = path(QStringLiteral("stopped.tvr"));
    ChargerSimulator sim;
    ASSERT_TRUE(startSimulator(sim, {"--seconds", "60"}, "long.csv"));
    // A library inside a file cannot be made: it is told, and costs no record.
    const QString library = log + QStringLiteral("/runs.sqlite");
    ASSERT_TRUE(startRecorder({"--log", log, "--library", library}));
    ASSERT_TRUE(waitFor([&] { return readLog(log).size() >= 3; }, 20000)) << said();
    recorder_.signal(SIGTERM);
    EXPECT_EQ(recorder_.waitForExit(5000), 1) << said();
    EXPECT_TRUE(recorder_.errors().contains("was not added to the run library")) << said();

    qint64 size = -1;
    const std::vector<MeasurementRecord> records = readLog(log, &size);
    EXPECT_EQ(size % static_cast<qint64>(kRecordSize), 0);
    expectWholeCharge(records, sim.sentRecords());
    // What it said it wrote is what is on disk.
    const QRegularExpressionMatch ended = QRegularExpression("charge ended after [0-9:]+: (\\d+) records? in ")
                                              .match(recorder_.output());
    ASSERT_TRUE(ended.hasMatch()) << said();
    EXPECT_EQ(ended.captured(1).toULongLong(), records.size());
    EXPECT_TRUE(recorder_.output().contains("stopped; every completed record is on disk"));
}

TEST_F(RecordTool, RecordsThatCannotBeWrittenAreToldAndEndWithStatusFour)
{
    const QString folder = path(QStringLiteral("gone-folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString log = QDir(folder).filePath(QStringLiteral("charge.tvr"));
    ChargerSimulator sim;
    ASSERT_TRUE(startSimulator(sim, {"--seconds", "60"}, "lost.csv"));
    ASSERT_TRUE(startRecorder({"--log", log}));
    ASSERT_TRUE(waitFor([&] { return readLog(log).size() >= 2; }, 20000)) << said();
    ASSERT_TRUE(QDir(folder).removeRecursively()); // the medium is gone
    ASSERT_TRUE(recorder_.waitForErrors("records are being lost", 10000)) << said();
    recorder_.signal(SIGTERM);
    EXPECT_EQ(recorder_.waitForExit(5000), 4) << said();
    EXPECT_TRUE(recorder_.errors().contains(log + ": cannot write the log: No such file or directory")) << said();
    EXPECT_TRUE(recorder_.output().contains(QRegularExpression("records? NOT written"))) << said();
}

TEST_F(RecordTool, ADeviceGoneForGoodEndsWithAClearMessage)
{
    const struct {
        const char* name;
        QStringList options;
        QStringList says;
    } cases[] = {
        {"without --reconnect", {}, {"line lost at", "the charge ends here", "COM7 (", ") is gone"}},
        {"--reconnect --give-up 2", {"--reconnect", "--give-up", "2"},
         {"is gone; waiting for it to come back", "waiting: no such device:",
          "the line stayed lost for 2 s (--give-up): the charge ends here"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString log = path(QStringLiteral("gone.tvr"));
        QFile::remove(log);
        ChargerSimulator sim;
        ToolProcess recorder;
        ASSERT_TRUE(startSimulator(sim, {"--seconds", "60"}, "gone.csv"));
        ASSERT_TRUE(startRecorder(recorder, QStringList{"--log", log} + c.options));
        ASSERT_TRUE(waitFor([&] { return readLog(log).size() >= 2; }, 20000)) << said(recorder);
        ASSERT_TRUE(sim.unplug());
        EXPECT_EQ(recorder.waitForExit(20000), 3) << said(recorder);
        for (const QString& text : c.says)
            EXPECT_TRUE(recorder.output().contains(text)) << text.toStdString() << "\n" << said(recorder);
        expectWholeCharge(readLog(log), sim.sentRecords());
    }
}

TEST_F(RecordTool, RefusesBadCommandLinesPortsAndLogFiles)
{
    const QString full = path(QStringLiteral("full.tvr"));
    {
        QFile file(full);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(192, 'r'));
    }
    const QString log = path(QStringLiteral("new.tvr"));
    const struct {
        QStringList args;
        QString says;
    } cases[] = {
        {{"--log", log}, "trelvane-record: give the charger's port: --port N or --device PATH (one of them)"},
        {{"--port", "7"}, "trelvane-record: say where to record: --log FILE or --split DIR (one of them)"},
        {{"--port", "7", "--log", log, "--split", path("")}, "(one of them)"},
        {{"--port", "16", "--log", log}, "trelvane-record: --port: needs a whole number from 3 to 15, not '16'"},
        {{"--port", "7", "--split", path(""), "--overwrite"}, "--overwrite goes with --log"},
        {{"--port", "7", "--log", log, "--give-up", "5"}, "--give-up goes with --reconnect"},
        {{"--port", "9", "--log", log}, "trelvane-record: COM9: no such device: "},
        {{"--device", path("none"), "--log", log}, "no such device: " + path("none")},
        {{"--port", "7", "--log", full}, "full.tvr: already holds 3 record(s)"},
        {{"--port", "7", "--split", path("none")}, "none: No such file or directory"},
        {{"--port", "7", "--log", path("none/x.tvr")}, "x.tvr: No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        ToolProcess tool;
        ASSERT_TRUE(tool.start(QStringLiteral("trelvane-record"), c.args, env_));
        EXPECT_EQ(tool.waitForExit(10000), 2);
        EXPECT_TRUE(tool.errors().contains(c.says)) << tool.errors().toStdString();
    }
    EXPECT_EQ(QFileInfo(full).size(), 192);

    ToolProcess help;
    ASSERT_TRUE(help.start(QStringLiteral("trelvane-record"), {"--help"}, env_));
    EXPECT_EQ(help.waitForExit(10000), 0);
    EXPECT_TRUE(help.output().contains("Exit status:"));
}

TEST_F(RecordTool, ExampleServiceRunsARecorderCommandLineThatIsAccepted)
{
    QFile unit(QStringLiteral(TRELVANE_SERVICE_EXAMPLE));
    ASSERT_TRUE(unit.open(QIODevice::ReadOnly | QIODevice::Text));
    QString execStart;
    for (const QString& line : QString::fromUtf8(unit.readAll()).split('\n')) {
        if (line.startsWith(QStringLiteral("ExecStart=")))
            execStart = line.mid(10);
    }
    QStringList words = execStart.split(' ', Qt::SkipEmptyParts);
    ASSERT_GE(words.size(), 2) << execStart.toStdString();
    EXPECT_TRUE(words.takeFirst().endsWith(QStringLiteral("/trelvane-record")));
    // %h is the user's home; the device named is not there, so only the port fails.
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("home/charges"))));
    for (QString& word : words)
        word.replace(QStringLiteral("%h"), path(QStringLiteral("home")));
    ToolProcess tool;
    ASSERT_TRUE(tool.start(QStringLiteral("trelvane-record"), words, env_));
    EXPECT_EQ(tool.waitForExit(10000), 2);
    EXPECT_TRUE(tool.errors().contains("/dev/serial/by-id/CHANGE-ME: no such device")) << tool.errors().toStdString();
}

} // namespace
