#pragma once

#include <atomic>
#include <string>

// The simulator's end of a pseudo-terminal. A reader opens the slave path as
// if it were the charger's serial port; the simulator writes on the master.
class PtyEndpoint {
public:
    PtyEndpoint() = default;
    ~PtyEndpoint(); // closes the master and removes the COMn symlink
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    bool create(std::string* error);
    // DIR/COMn -> slave path. An existing symlink there (say from a killed run) is replaced.
    bool registerAs(const std::string& dir, int port, std::string* error);

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // Linux reports POLLHUP on the master while no slave descriptor is open;
    // our own slave descriptor is closed for that reason.
    bool readerPresent() const;

    enum class Wait { ReaderOpened, TimedOut, Stopped };
    Wait waitForReader(double seconds, const std::atomic<bool>& stop) const;
    // Returns once the reader has closed the port (or at a stop request), so
    // that bytes still queued for it are not thrown away by closing early.
    void waitUntilReaderLeaves(const std::atomic<bool>& stop) const;

private:
    int master_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};
