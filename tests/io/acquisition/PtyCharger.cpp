#include "PtyCharger.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PtyCharger::PtyCharger(int portNumber)
    : hadPortsDir_(qEnvironmentVariableIsSet("TRELVANE_PORTS_DIR"))
    , savedPortsDir_(qgetenv("TRELVANE_PORTS_DIR"))
{
    char slaveName[256] = {};
    if (openpty(&master_, &slave_, slaveName, nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    // Raw from the start, so bytes written before the program opens the port
    // reach it unchanged (no echo, no line editing, no CR/LF mapping).
    termios settings{};
    tcgetattr(slave_, &settings);
    cfmakeraw(&settings);
    tcsetattr(slave_, TCSANOW, &settings);

    const QString link = dir_.path() + QStringLiteral("/COM%1").arg(portNumber);
    linked_ = QFile::link(QString::fromLocal8Bit(slaveName), link);
    qputenv("TRELVANE_PORTS_DIR", dir_.path().toLocal8Bit());
}

PtyCharger::~PtyCharger()
{
    if (hadPortsDir_)
        qputenv("TRELVANE_PORTS_DIR", savedPortsDir_);
    else
        qunsetenv("TRELVANE_PORTS_DIR");
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
}

void PtyCharger::write(const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

int PtyCharger::writeSome(const std::vector<std::uint8_t>& bytes)
{
    const int flags = fcntl(master_, F_GETFL);
    fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    const ssize_t n = ::write(master_, bytes.data(), bytes.size());
    fcntl(master_, F_SETFL, flags);
    return n < 0 ? 0 : static_cast<int>(n);
}

int PtyCharger::unreadBytes() const
{
    int count = 0;
    if (ioctl(slave_, FIONREAD, &count) != 0)
        return -1;
    return count;
}
