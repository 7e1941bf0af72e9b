// SerialLink on real pseudo-terminals: line settings, the one-second read
// time-out, byte order, 0x00, exclusivity, one-line failure reasons, abort and
// a hung-up line.

#include "acquisition/SerialLink.h"
#include "io/acquisition/LinkOnPty.h"
#include "io/acquisition/PseudoTerminal.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <sys/stat.h>
#include <termios.h>
#include <thread>

#include <grp.h>

namespace {

qint64 timedRead(SerialLink& link, int* byte)
{
    QElapsedTimer clock;
    clock.start();
    *byte = link.readByte();
    return clock.elapsed();
}

class SerialLinkOnPty : public LinkOnPty<> {};

} // namespace

TEST_F(SerialLinkOnPty, OpensWithLineSettings9600Baud8N1)
{
    EXPECT_TRUE(link.isOpen());
    EXPECT_EQ(link.devicePath(), pty.slavePath());
    EXPECT_TRUE(link.failureReason().isEmpty());

    struct termios line {};
    ASSERT_EQ(::tcgetattr(pty.master(), &line), 0);
    EXPECT_EQ(::cfgetispeed(&line), static_cast<speed_t>(B9600));
    EXPECT_EQ(::cfgetospeed(&line), static_cast<speed_t>(B9600));
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(line.c_cflag & PARENB, 0u);
    EXPECT_EQ(line.c_cflag & CSTOPB, 0u);
    EXPECT_NE(line.c_cflag & CREAD, 0u);
}

TEST_F(SerialLinkOnPty, SilentLineReturnsZeroAfterAboutOneSecond)
{
    int byte = -1;
    const qint64 ms = timedRead(link, &byte);
    EXPECT_EQ(byte, 0);
    EXPECT_GE(ms, 900);
    EXPECT_LT(ms, 2000);
}

TEST_F(SerialLinkOnPty, BytesArriveInOrderAndNulReadsAsNoByte)
{
    const std::string sent{'{', '\x01', '\x7f', '\x80', '\xff', '\0', '\r', '\n', '}'};
    ASSERT_TRUE(pty.write(sent));
    for (unsigned char expected : sent) {
        int byte = -1;
        const qint64 ms = timedRead(link, &byte);
        EXPECT_EQ(byte, static_cast<int>(expected));
        EXPECT_LT(ms, 900) << "a waiting byte (even 0x00) must not wait for the time-out";
    }
}

TEST_F(SerialLinkOnPty, SecondOpenOfTheSameDeviceIsRefusedAsBusy)
{
    SerialLink second;
    EXPECT_FALSE(second.openDevice(pty.slavePath()));
    EXPECT_FALSE(second.isOpen());
    EXPECT_TRUE(second.failureReason().startsWith("in use by another program"))
        << second.failureReason().toStdString();

    // An alias of the same device is the same port.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString alias = dir.filePath("COM9");
    ASSERT_TRUE(QFile::link(pty.slavePath(), alias));
    SerialLink viaAlias;
    EXPECT_FALSE(viaAlias.openDevice(alias));
    EXPECT_TRUE(viaAlias.failureReason().startsWith("in use by another program"))
        << viaAlias.failureReason().toStdString();

    // Closing the first link frees the port.
    link.close();
    EXPECT_FALSE(link.isOpen());
    EXPECT_TRUE(second.openDevice(pty.slavePath())) << second.failureReason().toStdString();
}

TEST_F(SerialLinkOnPty, AnotherProgramIsRefusedTheOpenPort)
{
    // Root is not stopped by TIOCEXCL, so this holds only through the lock file.
    QProcess other;
    other.start(QStringLiteral(TRELVANE_BIN_DIR "/trelvane-dump"),
                {"--device", pty.slavePath(), "--idle-exit", "1"});
    ASSERT_TRUE(other.waitForStarted(10000));
    ASSERT_TRUE(other.waitForFinished(30000));
    EXPECT_EQ(other.exitCode(), 1); // the port could not be opened
    EXPECT_TRUE(other.readAllStandardError().contains("in use by another program"));
}

TEST_F(SerialLinkOnPty, AbortReleasesABlockedReadPromptly)
{
    std::atomic<bool> reading{false};
    std::atomic<qint64> readMs{-1};
    std::atomic<int> result{-1};
    std::thread reader([&] {
        reading = true;
        int byte = -1;
        readMs = timedRead(link, &byte);
        result = byte;
    });
    QElapsedTimer wait;
    wait.start();
    while (!reading.load() && wait.elapsed() < 5000)
        std::this_thread::yield();
    QElapsedTimer sinceAbort;
    sinceAbort.start();
    link.abort();
    reader.join();
    const qint64 abortToReturn = sinceAbort.elapsed();

    EXPECT_EQ(result.load(), 0);
    EXPECT_LT(abortToReturn, 500);
    EXPECT_LT(readMs.load(), 900) << "the read ran into its time-out instead of being aborted";

    // Later reads return at once, even with data waiting.
    ASSERT_TRUE(pty.write("{"));
    int byte = -1;
    EXPECT_LT(timedRead(link, &byte), 500);
    EXPECT_EQ(byte, 0);
}

TEST_F(SerialLinkOnPty, HungUpLineStillWaitsAboutOneSecondPerRead)
{
    ASSERT_TRUE(pty.write("{"));
    int byte = -1;
    timedRead(link, &byte);
    EXPECT_EQ(byte, '{');

    pty.closeMaster();
    for (int attempt = 0; attempt < 2; ++attempt) {
        const qint64 ms = timedRead(link, &byte);
        EXPECT_EQ(byte, 0);
        EXPECT_GE(ms, 900) << "attempt " << attempt << " returned at once: a caller would spin";
        EXPECT_LT(ms, 2000);
    }
}

TEST(SerialLinkFailure, ReasonNamesTheKindOfFailure)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile regular(dir.filePath("capture.bin"));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.write("{}");
    regular.close();
    ASSERT_TRUE(QFile::link(dir.filePath("gone"), dir.filePath("COM4"))); // dangling

    struct Case {
        QString path;
        const char* reasonStart;
    };
    const Case cases[] = {
        {dir.filePath("nothing-here"), "no such device"},
        {dir.filePath("COM4"), "no such device"},
        {regular.fileName(), "not a serial device"},
        {dir.path(), "not a serial device"},
        {QStringLiteral("/dev/null"), "not a serial device"},
    };
    for (const Case& c : cases) {
        SerialLink link;
        EXPECT_FALSE(link.openDevice(c.path)) << c.path.toStdString();
        EXPECT_FALSE(link.isOpen());
        EXPECT_EQ(link.devicePath(), c.path);
        const QString reason = link.failureReason();
        EXPECT_TRUE(reason.startsWith(c.reasonStart)) << c.path.toStdString() << ": " << reason.toStdString();
        EXPECT_TRUE(reason.contains(c.path)) << reason.toStdString();
        EXPECT_FALSE(reason.contains('\n'));
    }
}

TEST(SerialLinkFailure, PermissionDeniedNamesTheOwningGroupAndTheFix)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    const QByteArray path = QFile::encodeName(pty.slavePath());
    ASSERT_EQ(::chmod(path.constData(), 0660), 0);
    struct stat info {};
    ASSERT_EQ(::stat(path.constData(), &info), 0);
    const struct group* owner = ::getgrgid(info.st_gid);
    ASSERT_NE(owner, nullptr);
    const QString group = QString::fromLocal8Bit(owner->gr_name);

    // Root reads everything, so the refusal is checked in a child that drops
    // to an unprivileged user; without root the device is made unreadable.
    const bool asRoot = ::geteuid() == 0;
    auto openAsOther = [&] {
        if (asRoot && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            std::_Exit(3);
        if (!asRoot && ::chmod(path.constData(), 0) != 0)
            std::_Exit(4);
        SerialLink link;
        if (link.openDevice(pty.slavePath()))
            std::_Exit(5);
        const QString reason = link.failureReason();
        bool named = reason.startsWith("permission denied") && reason.contains(pty.slavePath());
        if (asRoot) // the group can read: joining it is the fix
            named = named && reason.contains("'" + group + "'") && reason.contains("usermod -aG " + group);
        std::_Exit(named ? 0 : 6);
    };
    EXPECT_EXIT(openAsOther(), ::testing::ExitedWithCode(0), "");
}
