// trelvane-charger-sim: plays a charger's frame stream on a pseudo-terminal,
// a serial device or a file, for demos, manual checks and tests.

#include "CommandLine.h"
#include "FrameLog.h"
#include "PacedWriter.h"
#include "PtyEndpoint.h"
#include "Scenario.h"
#include "SimOptions.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onStopSignal(int)
{
    g_stop.store(true);
}

void installSignalHandlers()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a blocked call returns and the loop sees the flag
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

// Exit status 3: the pseudo-terminal found no reader in time.
constexpr int kExitNoReader = 3;

int fail(const std::string& message, int status = cli::kExitFailure)
{
    cli::report(kSimTool, message);
    return status;
}

// An existing serial device, set to the charger's line: 9600 baud 8N1, raw.
int openDevice(const std::string& path, std::string* error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return -1;
    }
    struct termios line {};
    if (::isatty(fd) && ::tcgetattr(fd, &line) == 0) {
        ::cfmakeraw(&line);
        ::cfsetispeed(&line, B9600);
        ::cfsetospeed(&line, B9600);
        line.c_cflag &= ~tcflag_t(PARENB | CSTOPB | CSIZE);
        line.c_cflag |= CS8 | CLOCAL;
        ::tcsetattr(fd, TCSANOW, &line);
    }
    return fd;
}

int openFile(const std::string& path, std::string* error)
{
    if (path == "-")
        return STDOUT_FILENO;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        *error = "cannot write " + path + ": " + std::strerror(errno);
    return fd;
}

void waitForStop()
{
    while (!g_stop.load())
        ::pause();
}

} // namespace

int main(int argc, char** argv)
{
    int exitCode = cli::kExitOk;
    const std::optional<SimOptions> parsed = parseSimOptions(argc, argv, exitCode);
    if (!parsed)
        return exitCode;
    const SimOptions& options = *parsed;
    installSignalHandlers();

    std::optional<Scenario> scenario;
    try {
        scenario.emplace(options);
    } catch (const std::out_of_range& e) {
        return fail(std::string("these settings give values a frame cannot carry: ") + e.what(), cli::kExitUsage);
    }

    FrameLog log;
    if (!options.logPath.empty() && !log.open(options.logPath))
        return fail("cannot write " + options.logPath + ": " + std::strerror(errno));

    PtyEndpoint pty;
    int fd = -1;
    std::string error;
    switch (options.output) {
    case OutputKind::Pty:
        if (!pty.create(&error))
            return fail(error);
        // Registered before the path is printed: whoever reads the line finds COMn in place.
        if (!options.registerDir.empty() && !pty.registerAs(options.registerDir, options.port, &error))
            return fail(error);
        std::printf("%s\n", pty.slavePath().c_str());
        std::fflush(stdout);
        fd = pty.masterFd();
        if (options.waitForReaderSeconds > 0.0) {
            switch (pty.waitForReader(options.waitForReaderSeconds, g_stop)) {
            case PtyEndpoint::Wait::Stopped: return cli::kExitOk;
            case PtyEndpoint::Wait::TimedOut:
                return fail("no reader opened " + pty.slavePath() + " in time", kExitNoReader);
            case PtyEndpoint::Wait::ReaderOpened: break;
            }
        }
        break;
    case OutputKind::Device: fd = openDevice(options.outputPath, &error); break;
    case OutputKind::File: fd = openFile(options.outputPath, &error); break;
    }
    if (fd < 0)
        return fail(error);

    PacedWriter writer(fd, options.pace, options.periodMs, g_stop);
    bool ok = true;
    for (const Transmission& t : scenario->script()) {
        if (!(ok = writer.send(t)))
            break;
        log.record(t);
    }
    while (ok && options.repeat && !scenario->endsSilent()) {
        const Transmission t = scenario->nextIdle();
        if (!(ok = writer.send(t)))
            break;
        log.record(t);
    }
    if (!ok && !g_stop.load())
        return fail(writer.error());

    switch (options.output) {
    case OutputKind::Pty: pty.waitUntilReaderLeaves(g_stop); break;
    case OutputKind::Device:
        if (scenario->endsSilent())
            waitForStop();
        else
            ::tcdrain(fd);
        ::close(fd);
        break;
    case OutputKind::File:
        if (fd != STDOUT_FILENO)
            ::close(fd);
        break;
    }
    return 0;
}
