// Port number to device: the COMn folder named by TRELVANE_PORTS_DIR, the
// /dev fall-backs, list index to port number, and opening COMn end to end.

#include "acquisition/PortNames.h"
#include "acquisition/SerialLink.h"
#include "io/acquisition/PseudoTerminal.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PortNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        hadPortsDir_ = qEnvironmentVariableIsSet("TRELVANE_PORTS_DIR");
        savedPortsDir_ = qgetenv("TRELVANE_PORTS_DIR");
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override
    {
        if (hadPortsDir_)
            qputenv("TRELVANE_PORTS_DIR", savedPortsDir_);
        else
            qunsetenv("TRELVANE_PORTS_DIR");
    }
    void usePortsDir() { qputenv("TRELVANE_PORTS_DIR", QFile::encodeName(dir.path())); }

    QTemporaryDir dir;

private:
    bool hadPortsDir_ = false;
    QByteArray savedPortsDir_;
};

bool exists(const QString& path)
{
    return QFileInfo(path).exists();
}

} // namespace

TEST(PortNumbers, ListIndexMapsToPortNumber)
{
    EXPECT_EQ(portNumberForIndex(-1), 2); // nothing selected
    EXPECT_EQ(portNumberForIndex(0), 3);
    EXPECT_EQ(portNumberForIndex(12), 15);
}

TEST_F(PortNames, PortsFolderEntryWinsAndOpensThroughTheSymlink)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    const QString com5 = dir.filePath("COM5");
    ASSERT_TRUE(QFile::link(pty.slavePath(), com5));
    usePortsDir();

    EXPECT_EQ(devicePathForPort(5), com5);

    SerialLink link;
    ASSERT_TRUE(link.openPort(5)) << link.failureReason().toStdString();
    EXPECT_EQ(link.devicePath(), com5);
    ASSERT_TRUE(pty.write("}"));
    EXPECT_EQ(link.readByte(), '}');
}

TEST_F(PortNames, NoSelectionTriesPortTwo)
{
    const QString com2 = dir.filePath("COM2");
    ASSERT_TRUE(QFile::link("/dev/null", com2));
    usePortsDir();
    EXPECT_EQ(devicePathForPort(portNumberForIndex(-1)), com2);
}

TEST_F(PortNames, DanglingPortsFolderEntryIsStillTheChoice)
{
    const QString com6 = dir.filePath("COM6");
    ASSERT_TRUE(QFile::link(dir.filePath("unplugged"), com6));
    usePortsDir();
    EXPECT_EQ(devicePathForPort(6), com6);
}

TEST_F(PortNames, FallsBackToUsbAndAcmDevicesByNumber)
{
    for (const bool withPortsDir : {false, true}) {
        if (withPortsDir)
            usePortsDir(); // empty folder: no COMn there
        else
            qunsetenv("TRELVANE_PORTS_DIR");
        for (int port : {3, 9, 15}) {
            const QString usb = QStringLiteral("/dev/ttyUSB%1").arg(port - 3);
            const QString acm = QStringLiteral("/dev/ttyACM%1").arg(port - 3);
            const QString inFolder = dir.filePath(QStringLiteral("COM%1").arg(port));
            const QString expected = exists(usb) ? usb
                : exists(acm)                    ? acm
                : withPortsDir                   ? inFolder
                                                 : usb;
            EXPECT_EQ(devicePathForPort(port), expected) << "port " << port;
        }
    }
}

TEST_F(PortNames, MissingPortFailsNamingThePlaceToLook)
{
    usePortsDir();
    const QString com14 = dir.filePath("COM14");
    if (exists("/dev/ttyUSB11") || exists("/dev/ttyACM11"))
        GTEST_SKIP() << "a real device answers for COM14 here";
    SerialLink link;
    EXPECT_FALSE(link.openPort(14));
    EXPECT_EQ(link.failureReason(), "no such device: " + com14);
}

TEST_F(PortNames, CandidatesAreThePlacesLookedAtInTheirOrder)
{
    qunsetenv("TRELVANE_PORTS_DIR");
    EXPECT_EQ(candidatePathsForPort(5), (QStringList{"/dev/ttyUSB2", "/dev/ttyACM2"}));
    usePortsDir();
    EXPECT_EQ(candidatePathsForPort(15), (QStringList{dir.filePath("COM15"), "/dev/ttyUSB12", "/dev/ttyACM12"}));
}
