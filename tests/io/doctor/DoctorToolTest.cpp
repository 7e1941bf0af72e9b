// trelvane-doctor run as a program: a present pseudo-terminal as COM7, a
// missing port, a port another process holds (named), a port this user may
// not open (the group named), and the verdicts of --listen for the
// simulator's charge, idle and noise scenarios and a silent line.
#include "io/acquisition/PseudoTerminal.h"
#include "io/tools/ChargerSimulator.h"
#include "io/tools/PortsFolderTest.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kPort = 7;

class DoctorTool : public PortsFolderTest {
protected:
    bool registerPort(const QString& device) const
    {
        return QFile::link(device, QDir(ports()).filePath(QStringLiteral("COM%1").arg(kPort)));
    }

    struct Run {
        int status = -1;
        QString out;
        QString err;
    };
    Run doctor(const QStringList& args, const std::function<void()>& inChild = {})
    {
        ToolProcess tool;
        Run run;
        if (!tool.start(QStringLiteral("trelvane-doctor"), args, env_, inChild))
            return run;
        run.status = tool.waitForExit(30000);
        run.out = tool.output();
        run.err = tool.errors();
        return run;
    }
};

TEST_F(DoctorTool, APresentPortIsListedWithItsMonitorEntry)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_TRUE(registerPort(pty.slavePath()));

    const Run all = doctor({});
    EXPECT_EQ(all.status, 0) << all.out.toStdString();
    EXPECT_TRUE(all.out.contains("COM7  " + pty.slavePath() + "  (COM7 in the monitor)")) << all.out.toStdString();

    const Run one = doctor({"--port", "7", "--json"});
    EXPECT_EQ(one.status, 0);
    const QJsonObject root = QJsonDocument::fromJson(one.out.toUtf8()).object();
    ASSERT_EQ(root["ports"].toArray().size(), 1) << one.out.toStdString();
    const QJsonObject port = root["ports"].toArray()[0].toObject();
    EXPECT_EQ(port["name"].toString(), "COM7");
    EXPECT_EQ(port["device"].toString(), pty.slavePath());
    EXPECT_EQ(port["monitorPorts"].toArray(), QJsonArray{"COM7"});
    EXPECT_EQ(port["access"].toString(), "readable");
    EXPECT_TRUE(port["heldBy"].toArray().isEmpty());
    EXPECT_EQ(root["exitStatus"].toInt(), 0);
    EXPECT_EQ(root["verdict"].toString(), "COM7: can be opened");
}

TEST_F(DoctorTool, AMissingPortSaysWhereTheMonitorLooked)
{
    const QStringList others{"/dev/ttyUSB6", "/dev/ttyACM6"};
    for (const QString& path : others) {
        if (QFileInfo::exists(path))
            GTEST_SKIP() << path.toStdString() << " exists on this machine";
    }
    const Run run = doctor({"--port", "9"});
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(run.out.contains("not present: none of " + QDir(ports()).filePath("COM9")
                                 + ", /dev/ttyUSB6, /dev/ttyACM6 exists"))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("verdict: COM9: not present")) << run.out.toStdString();
}

TEST_F(DoctorTool, APortHeldByAnotherProcessNamesItAndIsNotListenedTo)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_TRUE(registerPort(pty.slavePath()));
    ToolProcess recorder;
    ASSERT_TRUE(recorder.start(QStringLiteral("trelvane-record"),
                               {"--port", "7", "--log", dir_.filePath(QStringLiteral("held.tvr"))}, env_));
    ASSERT_TRUE(recorder.waitForOutput(QStringLiteral("listening on"))) << recorder.errors().toStdString();

    const QString holder = QStringLiteral("trelvane-record (pid %1, user ").arg(recorder.pid());
    for (const QStringList& args : {QStringList{"--port", "7"}, QStringList{"--listen", "7"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Run run = doctor(args);
        EXPECT_EQ(run.status, 5);
        EXPECT_TRUE(run.out.contains("in use by      " + holder)) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains("verdict: COM7: in use by trelvane-record")) << run.out.toStdString();
    }
    EXPECT_TRUE(recorder.running()); // not disturbed
}

TEST_F(DoctorTool, APortThisUserMayNotOpenNamesItsGroupAndTheFix)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    const QByteArray slave = QFile::encodeName(pty.slavePath());
    std::function<void()> unprivileged;
    if (::geteuid() == 0) {
        // As root: the device belongs to dialout, and the doctor runs as nobody.
        const struct group* dialout = ::getgrnam("dialout");
        const struct passwd* nobody = ::getpwnam("nobody");
        if (dialout == nullptr || nobody == nullptr)
            GTEST_SKIP() << "no dialout group or nobody user";
        ASSERT_EQ(::chown(slave.constData(), 0, dialout->gr_gid), 0);
        ASSERT_EQ(::chmod(slave.constData(), 0660), 0);
        const uid_t uid = nobody->pw_uid;
        const gid_t gid = nobody->pw_gid;
        unprivileged = [uid, gid] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                ::_exit(99);
        };
    } else {
        // As a user: the owner may not read it, its group (tty) may.
        ASSERT_EQ(::chmod(slave.constData(), 0060), 0);
    }
    struct stat info {};
    ASSERT_EQ(::stat(slave.constData(), &info), 0);
    const QString group = QString::fromLocal8Bit(::getgrgid(info.st_gid)->gr_name);
    if (::geteuid() != 0 && (::getegid() == info.st_gid))
        GTEST_SKIP() << "this user is in the device's group";

    const Run run = doctor({"--device", pty.slavePath()}, unprivileged);
    EXPECT_EQ(run.status, 4) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("permission denied: crw-rw----, group '" + group + "'")
                || run.out.contains("permission denied: c---rw----, group '" + group + "'"))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("fix            sudo usermod -aG " + group + " ")) << run.out.toStdString();
}

TEST_F(DoctorTool, ListeningEndsWithAVerdictForWhatArrives)
{
    const struct {
        const char* scenario; // nullptr: a line nobody writes to
        const char* verdict;
        int status;
    } cases[] = {
        {"charge-v1", "verdict: charger talking, charge running\n", 0},
        {"idle", "verdict: charger talking, no charge running\n", 0},
        {"noise", "verdict: charger talking, charge running; the line is noisy\n", 0},
        {nullptr, "verdict: silent: is the charger switched on and in PC-link mode?\n", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario ? c.scenario : "silent");
        QFile::remove(QDir(ports()).filePath(QStringLiteral("COM7")));
        ChargerSimulator sim;
        PseudoTerminal silent;
        if (c.scenario != nullptr)
            ASSERT_TRUE(sim.start(ports(), kPort, {"--scenario", c.scenario, "--seconds", "30", "--seed", "2"},
                                  dir_.filePath(QStringLiteral("sent.csv"))));
        else
            ASSERT_TRUE(registerPort(silent.slavePath()));
        const Run run = doctor({"--listen", "7", "--seconds", "1.5"});
        EXPECT_EQ(run.status, c.status) << run.out.toStdString();
        EXPECT_TRUE(run.out.endsWith(QString::fromLatin1(c.verdict))) << run.out.toStdString();
        if (c.status == 0) {
            EXPECT_TRUE(run.out.contains(QRegularExpression("frames +[1-9][0-9]* of 76 bytes"))) << run.out.toStdString();
        }
    }
}

} // namespace
