// Who may and who does use a device: the access check on a missing path, a
// file that is no device and a pseudo-terminal, and the processes /proc says
// have it open.
#include "doctor/DeviceAccess.h"
#include "doctor/PortHolders.h"

#include "core/recording/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

namespace {

// A pseudo-terminal pair; the slave is reached by its path.
struct Pty {
    Pty()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            slave = ::ptsname(master);
    }
    ~Pty()
    {
        if (master >= 0)
            ::close(master);
    }
    int master = -1;
    std::string slave;
};

TEST(DeviceAccess, TellsMissingNoDeviceAndReadable)
{
    TempDir dir;
    std::ofstream(dir.file("plain")) << "x";
    Pty pty;
    ASSERT_FALSE(pty.slave.empty());

    const struct {
        std::string path;
        DeviceAccess::State state;
        const char* reason;
    } cases[] = {
        {dir.file("none"), DeviceAccess::State::Missing, "No such file or directory"},
        {dir.file("plain"), DeviceAccess::State::NotADevice, "not a serial device"},
        {dir.path(), DeviceAccess::State::NotADevice, "not a serial device"},
        {pty.slave, DeviceAccess::State::Readable, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const DeviceAccess a = checkDeviceAccess(c.path);
        EXPECT_EQ(a.state, c.state);
        EXPECT_EQ(a.reason, c.reason);
        EXPECT_EQ(a.fix, "");
    }
    const DeviceAccess device = checkDeviceAccess(pty.slave);
    EXPECT_EQ(device.device, pty.slave);
    EXPECT_EQ(device.mode.size(), 10u);
    EXPECT_EQ(device.mode[0], 'c');
    EXPECT_FALSE(device.group.empty());

    // Through a link, the device itself is named.
    const std::string link = dir.file("COM7");
    ASSERT_EQ(::symlink(pty.slave.c_str(), link.c_str()), 0);
    EXPECT_EQ(checkDeviceAccess(link).device, pty.slave);
}

TEST(PortHolders, NamesTheProcessesThatHaveTheDeviceOpen)
{
    Pty pty;
    ASSERT_FALSE(pty.slave.empty());
    const dev_t device = [&] {
        struct stat info {};
        ::stat(pty.slave.c_str(), &info);
        return info.st_rdev;
    }();
    EXPECT_TRUE(findPortHolders(device).holders.empty());

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = ::open(pty.slave.c_str(), O_RDONLY | O_NOCTTY);
        const char ok = fd >= 0 ? 'y' : 'n';
        [[maybe_unused]] const ssize_t n = ::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, 'y');

    const PortHolders found = findPortHolders(device);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    ASSERT_EQ(found.holders.size(), 1u);
    EXPECT_EQ(found.holders[0].pid, child);
    EXPECT_FALSE(found.holders[0].command.empty());
    EXPECT_FALSE(found.holders[0].user.empty());
    // The test's own descriptor (the master is another device) is not counted.
    EXPECT_TRUE(findPortHolders(device).holders.empty());
}

} // namespace
