#pragma once

// A pseudo-terminal for serial tests: the test writes on the master, the code
// under test opens the slave path like a real serial device.

#include <QString>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <string>

class PseudoTerminal {
public:
    PseudoTerminal()
    {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&master_, &slave, name, nullptr, nullptr) == 0) {
            slavePath_ = QString::fromLocal8Bit(name);
            ::close(slave); // the code under test opens it by name
        }
    }
    ~PseudoTerminal() { closeMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return master_ >= 0 && !slavePath_.isEmpty(); }
    int master() const { return master_; }
    QString slavePath() const { return slavePath_; }

    bool write(const std::string& bytes) const
    {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    void closeMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    QString slavePath_;
};
