// trelvane-dump: prints the frames of a charger byte stream as CSV.
#include "CommandLine.h"
#include "DumpOptions.h"
#include "FileByteSource.h"
#include "FrameCsvFormatter.h"
#include "FrameDump.h"
#include "GuardedByteSource.h"

#include "acquisition/PortNames.h"
#include "acquisition/SerialLink.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <sys/stat.h>

namespace {

std::atomic<bool> stopRequested{false};
SerialLink* liveLink = nullptr;

static_assert(std::atomic<bool>::is_always_lock_free, "stored from a signal handler");

extern "C" void onStopSignal(int)
{
    stopRequested.store(true);
    if (liveLink != nullptr)
        liveLink->abort(); // a lock-free store; wakes a blocked read
}

void installStopHandlers()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: a blocked read of standard input returns
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void printLine(const std::string& line)
{
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
}

void noteOverlong(const FrameDump& dump)
{
    if (dump.discardedOverlongFrames() > 0)
        cli::report(kDumpTool, "discarded " + std::to_string(dump.discardedOverlongFrames())
               + " overlong frame(s) (longer than " + std::to_string(kFrameBufferSize) + " bytes)");
}

bool limitReached(const DumpOptions& options, const FrameDump& dump)
{
    return options.maxFrames > 0 && dump.frames() >= options.maxFrames;
}

int finish(const FrameDump& dump)
{
    noteOverlong(dump);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        cli::report(kDumpTool, "standard output", std::strerror(errno));
        return cli::kExitFailure;
    }
    return cli::kExitOk;
}

// A file or standard input, to its end.
int dumpFile(const DumpOptions& options, const FrameCsvFormatter& formatter)
{
    const bool standardInput = options.input == DumpOptions::Input::StandardInput;
    const std::string name = standardInput ? std::string("standard input") : options.file;
    std::FILE* file = standardInput ? stdin : std::fopen(options.file.c_str(), "rb");
    if (file == nullptr) {
        cli::report(kDumpTool, name, std::strerror(errno));
        return cli::kExitFailure;
    }
    // A directory opens but cannot be read; say so before any output.
    struct stat info {};
    if (fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        if (!standardInput)
            std::fclose(file);
        cli::report(kDumpTool, name, std::strerror(EISDIR));
        return cli::kExitFailure;
    }

    FileByteSource bytes(file);
    GuardedByteSource guarded(bytes, stopRequested);
    FrameDump dump(guarded, formatter, stdout);
    printLine(formatter.header());
    while (!bytes.atEnd() && !guarded.tripped() && !limitReached(options, dump))
        dump.step();

    const int readError = bytes.error();
    if (!standardInput)
        std::fclose(file);
    if (readError != 0 && !stopRequested.load()) {
        noteOverlong(dump);
        cli::report(kDumpTool, name, std::strerror(readError));
        return cli::kExitFailure;
    }
    return finish(dump);
}

// A serial port or device, until a signal, the frame limit or the idle time.
int dumpLink(const DumpOptions& options, const FrameCsvFormatter& formatter)
{
    SerialLink link;
    const bool opened = options.input == DumpOptions::Input::Port
        ? link.openPort(options.port)
        : link.openDevice(QString::fromLocal8Bit(options.device.c_str()));
    if (!opened) {
        QString device = link.devicePath();
        if (device.isEmpty())
            device = options.input == DumpOptions::Input::Port ? devicePathForPort(options.port)
                                                               : QString::fromLocal8Bit(options.device.c_str());
        cli::report(kDumpTool, device.toStdString(), link.failureReason().toStdString());
        return cli::kExitFailure;
    }
    liveLink = &link;
    if (stopRequested.load())
        link.abort();

    using Clock = GuardedByteSource::Clock;
    // Longer idle limits mean "never"; converted to clock ticks they would
    // overflow and put the deadline in the past.
    constexpr double kLongestIdleSeconds = 1e9; // about 31 years
    const auto idle = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(std::min(options.idleExitSeconds, kLongestIdleSeconds)));
    auto armIdle = [&](GuardedByteSource& guard) {
        if (options.idleExitSeconds > 0)
            guard.setDeadline(Clock::now() + idle);
    };

    GuardedByteSource guarded(link, stopRequested);
    armIdle(guarded);
    FrameDump dump(guarded, formatter, stdout);
    printLine(formatter.header());
    std::fflush(stdout);
    while (!guarded.tripped() && !limitReached(options, dump)) {
        if (dump.step() != 0) {
            std::fflush(stdout);
            armIdle(guarded);
        }
    }
    liveLink = nullptr;
    return finish(dump);
}

} // namespace

int main(int argc, char** argv)
{
    int exitCode = cli::kExitOk;
    const auto options = DumpOptions::parse(argc, argv, exitCode);
    if (!options)
        return exitCode;

    installStopHandlers();
    const FrameCsvFormatter formatter(options->hex);
    if (!options->isLive())
        return dumpFile(*options, formatter);

    // The serial port needs an application object; it is created only here
    // and after parsing, so nothing of it touches the command line.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QCoreApplication application(qtArgc, qtArgv);
    return dumpLink(*options, formatter);
}
