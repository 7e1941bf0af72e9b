// trelvane-doctor: answers "why is my charger silent?" in one run: the serial
// ports present and what each is for the monitor, whether this user may read
// them and who else has them open, and, listening to one, what it carries.
#include "PortCheck.h"

#include "CommandLine.h"
#include "Printable.h"
#include "TerminalProgress.h"

#include "acquisition/PortNames.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace {

constexpr const char* kTool = "trelvane-doctor";

constexpr const char* kAbout =
    "Says why a charger is silent. Without options it lists the serial ports present\n"
    "(the system's, and the monitor's COM3..COM15, which $TRELVANE_PORTS_DIR may\n"
    "point anywhere): device, description, manufacturer, USB vendor and product id,\n"
    "serial number, /dev/serial/by-id link, the COM entry that reaches it, whether\n"
    "you may open it (and the command that fixes it if not) and which processes hold\n"
    "it open. --listen reads a port for a few seconds and ends with one verdict line.";

constexpr const char* kEpilog =
    "Exit status:\n"
    "  0  the port is usable (with --listen: the charger is talking); without a port\n"
    "     named, at least one port is usable\n"
    "  1  the output could not be written, or the port failed in another way\n"
    "  2  bad command line\n"
    "  3  no serial port found, or the one named is not there or no serial device\n"
    "  4  you may not open it (see the fix)\n"
    "  5  another process has it open: a second reader takes frames from the first\n"
    "  6  --listen: bytes arrive, but no frame the monitor can use (wrong device or\n"
    "     baud)\n"
    "  7  --listen: nothing arrives\n"
    "\n"
    "Examples:\n"
    "  trelvane-doctor\n"
    "  trelvane-doctor --listen 3 --seconds 10\n"
    "  trelvane-doctor --listen /dev/serial/by-id/usb-...-if00-port0 --json";

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onStopSignal(int)
{
    stopRequested.store(true);
}

void installStopHandlers()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool isPortNumber(const std::string& text)
{
    return !text.empty() && text.size() <= 3 && std::all_of(text.begin(), text.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
}

int finish(int status)
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        cli::report(kTool, "standard output", "cannot be written");
        return DoctorExit::kFailure;
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    cli::CommandLine line(kTool, "[--port N | --device PATH | --listen N|PATH\n       [--seconds S]] [--json]",
                          kAbout, kEpilog);
    line.option("port", 'p', "N", "check only COMN (3..15), as the monitor finds it");
    line.option("device", 'd', "PATH", "check only this serial device");
    line.option("listen", 'l', "N|PATH", "check COMN or PATH, then read it (read-only, 9600 baud 8N1) and say "
                                         "what arrives");
    line.option("seconds", 's', "S", "how long --listen reads, 1 to 600 seconds (default 5)");
    line.flag("json", 0, "print the findings as one JSON object");
    if (!line.parse(argc, argv))
        return line.exitCode();
    const int asked = int(line.isSet("port")) + int(line.isSet("device")) + int(line.isSet("listen"));
    if (asked > 1)
        return line.usageError("--port, --device and --listen each name the port: give one of them");
    if (line.isSet("seconds") && !line.isSet("listen"))
        return line.usageError("--seconds goes with --listen");
    const auto port = line.integer("port", PortSurvey::kFirstMonitorPort, PortSurvey::kLastMonitorPort, 0);
    const auto seconds = line.number("seconds", 1.0, 600.0, 5.0);
    if (!port || !seconds)
        return DoctorExit::kUsage;
    const std::string listen = line.value("listen");
    if (line.isSet("listen") && listen.empty())
        return line.usageError("--listen needs a port number or a device path");
    if (line.isSet("device") && line.value("device").empty())
        return line.usageError("--device needs a path");
    int listenPort = 0;
    if (isPortNumber(listen)) {
        listenPort = std::stoi(listen);
        if (listenPort < PortSurvey::kFirstMonitorPort || listenPort > PortSurvey::kLastMonitorPort)
            return line.usageError("--listen: COM" + listen + " is not one of the monitor's COM3..COM15; "
                                   "give its device path instead");
    }
    const bool json = line.isSet("json");

    installStopHandlers();
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QCoreApplication application(qtArgc, qtArgv);
    const PortSurvey survey;

    QList<PortCheck> checks;
    if (*port != 0 || listenPort != 0)
        checks << checkMonitorPort(survey, static_cast<int>(*port != 0 ? *port : listenPort));
    else if (line.isSet("device") || line.isSet("listen")) {
        const QString path = QFile::decodeName(QByteArray::fromStdString(line.isSet("device") ? line.value("device")
                                                                                              : listen));
        checks << checkPort(survey, path, path);
    } else {
        for (const SurveyedPort& p : survey.ports()) {
            if (!p.monitorPorts.isEmpty())
                checks << checkMonitorPort(survey, p.monitorPorts.first());
            else
                checks << checkPort(survey, p.device, p.device);
        }
    }

    // Listening would take frames from whoever has the port: not while someone does.
    std::optional<ListenReport> heard;
    int status = checks.isEmpty() ? DoctorExit::kNoPort : bestStatus(checks);
    std::string verdict;
    if (line.isSet("listen")) {
        const PortCheck& target = checks.first();
        if (target.status == DoctorExit::kOk) {
            TerminalProgress progress(kTool, "listening on " + target.label.toStdString());
            ListenReport report;
            report.capture = PortListener::listen(target.path, *seconds, stopRequested,
                                                  [&](int done, std::size_t bytes) {
                                                      progress.show(std::to_string(done) + " s, "
                                                                    + std::to_string(bytes) + " bytes");
                                                  });
            progress.finish();
            if (!report.capture.opened) {
                status = DoctorExit::kFailure;
                verdict = "cannot open it: " + report.capture.error.toStdString();
            } else {
                report.analysis = analyseStream(report.capture.bytes);
                report.verdict = judgeLine(report.analysis);
                status = report.verdict.exitStatus;
                verdict = report.verdict.line;
                heard = report;
            }
        } else {
            verdict = target.label.toStdString() + ": " + target.problem
                + (target.status == DoctorExit::kBusy ? "; not listening while it is, stop it first" : "");
        }
    } else if (checks.isEmpty()) {
        verdict = "no serial port found: is the charger plugged in (see dmesg)?";
    } else if (checks.size() == 1) {
        verdict = checks.first().label.toStdString() + ": "
            + (status == DoctorExit::kOk ? std::string("can be opened") : checks.first().problem);
    } else {
        verdict = status == DoctorExit::kOk ? "at least one port can be opened" : "no port can be opened as it is";
    }

    if (json) {
        QJsonObject root;
        QJsonArray ports;
        for (const PortCheck& check : checks)
            ports.append(portJson(check));
        root["ports"] = ports;
        if (heard)
            root["listen"] = listenJson(*heard);
        root["verdict"] = QString::fromStdString(verdict);
        root["exitStatus"] = status;
        std::fputs(QJsonDocument(root).toJson(QJsonDocument::Indented).constData(), stdout);
        return finish(status);
    }

    for (qsizetype i = 0; i < checks.size(); ++i) {
        if (i > 0)
            std::fputc('\n', stdout);
        printPort(stdout, checks[i]);
    }
    if (heard)
        printListen(stdout, *heard);
    if (!checks.isEmpty())
        std::fputc('\n', stdout);
    std::printf("verdict: %s\n", cli::printable(verdict).c_str());
    return finish(status);
}
