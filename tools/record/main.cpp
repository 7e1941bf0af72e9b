// trelvane-record: records charges from the charger's serial port without a
// window, for a computer left unattended next to the charger.
#include "RecordSettings.h"
#include "Recorder.h"

#include "recorder/RecorderConsole.h"
#include "recording/LogFile.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

int stopPipe[2] = {-1, -1};

extern "C" void onStopSignal(int)
{
    // Only an async-signal-safe write; the main loop reads it and stops.
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(stopPipe[1], &byte, 1);
}

bool installStopHandlers()
{
    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A reader of our output that went away must not end the recording.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int exitCode = 0;
    const auto settings = parseRecordSettings(argc, argv, &exitCode);
    if (!settings)
        return exitCode;
    // Under a file-size limit an append then fails and is told; the signal
    // would end the recorder with a partial record in the log.
    ignoreFileSizeSignal();
    if (!installStopHandlers()) {
        std::perror(kRecordTool);
        return 1;
    }

    // The serial port needs an application object; it sees none of the options.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QCoreApplication application(qtArgc, qtArgv);

    RecorderConsole console(stdout, ::isatty(STDOUT_FILENO) == 1);
    Recorder recorder(*settings, console);
    QSocketNotifier stopNotifier(stopPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &recorder, [&] {
        char drain[16];
        while (::read(stopPipe[0], drain, sizeof drain) > 0) {
        }
        recorder.stop();
    });
    recorder.start();
    return QCoreApplication::exec();
}
