// bench-startup [RUNS]: start-up to the first painted main window when a
// 24-hour log (86,400 records) is replayed.
//
//  cold   a fresh process per run, offscreen platform: the program's own
//         start-up (QApplication, CMonitorApp::run with the log file) until
//         the overview has painted; timed from the spawn and from main().
//  warm   in this process, after a first window: CMonitorDlg in replay mode
//         constructed, shown and painted; the program's own work without the
//         one-off costs of a process (libraries, fonts, resources).
//  trelvane FILE.tvr
//         the installed program itself under Xvfb (skipped without Xvfb),
//         timed until a strip of its window on the X screen shows the
//         finished paint; the strip is polled every millisecond. Started
//         alternately with its floor, a bare Qt window of the same size
//         (--bare-window), timed the same way; the ratio is printed.
#include "bench/startup/ColdStart.h"
#include "bench/startup/ProgramWatch.h"

#include "app/AppState.h"
#include "app/CMonitorDlg.h"
#include "bench/common/BenchClock.h"
#include "bench/common/PaintWatch.h"
#include "bench/common/SilentDialogs.h"
#include "bench/common/SyntheticCharge.h"
#include "bench/common/TempDir.h"
#include "overview/COverviewPanel.h"

#include <QApplication>
#include <QWidget>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr int kRecords = 86400;
constexpr int kPaintTimeoutMs = 20000;

// One cold start in a child process (this program with --cold).
std::optional<ColdStart::Result> runColdChild(const QString& self, const QString& log)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const auto spawned = std::chrono::steady_clock::now();
    child.start(self, {QStringLiteral("--cold"), log});
    if (!child.waitForFinished(60000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return std::nullopt;
    auto result = ColdStart::parse(child.readAllStandardOutput().toStdString());
    if (result)
        result->fromSpawn.wallMs =
            std::chrono::duration<double, std::milli>(result->stoppedAt - spawned).count();
    return result;
}

Timing warmStart(const QString& log)
{
    AppState state;
    state.words.runMode = RunMode::Replay;
    state.logOpenPath = log;
    SilentDialogs dialogs;
    PaintWatch watch;

    const BenchClock clock;
    CMonitorDlg window(state, dialogs);
    watch.watch(window.overview());
    watch.mark();
    window.show();
    if (!watch.waitForPaints({window.overview()}, kPaintTimeoutMs) || state.chart.historyCount == 0) {
        std::fprintf(stderr, "bench-startup: the replayed window did not paint\n");
        std::exit(1);
    }
    const Timing timing = clock.elapsed();
    if (!dialogs.messages.isEmpty()) {
        std::fprintf(stderr, "bench-startup: %s\n", qPrintable(dialogs.messages.first()));
        std::exit(1);
    }
    return timing;
}

// The watcher needs the X display, so it runs as a child on the xcb platform.
bool runProgramWatch(const QString& self, const QString& log, int runs)
{
#ifdef TRELVANE_PROGRAM
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        std::printf("trelvane FILE.tvr: skipped (no Xvfb)\n");
        return true;
    }
    QProcess server;
    server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                        QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp"), QStringLiteral("-noreset")});
    while (server.waitForStarted(10000) && !server.canReadLine() && server.waitForReadyRead(15000)) {
    }
    bool ok = false;
    const int display = server.readLine().trimmed().toInt(&ok);
    if (!ok) {
        std::fprintf(stderr, "bench-startup: Xvfb named no display\n");
        server.kill();
        server.waitForFinished(5000);
        return false;
    }
    QProcess watcher;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(display));
    watcher.setProcessEnvironment(env);
    watcher.setProcessChannelMode(QProcess::ForwardedChannels);
    watcher.start(self, {QStringLiteral("--watch"), QStringLiteral(TRELVANE_PROGRAM), log, QString::number(runs)});
    const bool finished = watcher.waitForFinished(600000);
    server.terminate();
    server.waitForFinished(5000);
    return finished && watcher.exitStatus() == QProcess::NormalExit && watcher.exitCode() == 0;
#else
    (void)self, (void)log, (void)runs;
    std::printf("trelvane FILE.tvr: skipped (the program is not built)\n");
    return true;
#endif
}

} // namespace

// The floor of a start-up: a bare Qt window of the main window's size, at
// the same place, that paints its background and nothing else.
int bareWindow(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(1024, 750);
    window.move(0, 0);
    window.show();
    return application.exec();
}

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--bare-window") == 0)
        return bareWindow(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "--cold") == 0)
        return ColdStart::run(argc, argv, argv[2]);
    if (argc >= 5 && std::strcmp(argv[1], "--watch") == 0)
        return ProgramWatch::run(argc, argv, argv[2], argv[3], std::atoi(argv[4]));

    const int runs = argc > 1 ? std::atoi(argv[1]) : 9;
    if (runs <= 0) {
        std::fprintf(stderr, "usage: bench-startup [RUNS]\n");
        return 2;
    }
    TempDir dir;
    const std::string path = dir.file("day.tvr");
    if (!dir.valid() || !SyntheticCharge::writeLog(path, kRecords)) {
        std::perror("bench-startup: cannot write the log");
        return 1;
    }
    {
        // Warm the page cache: a log replayed right after it was recorded is in memory.
        QFile warm(QString::fromStdString(path));
        if (warm.open(QIODevice::ReadOnly))
            warm.readAll();
    }
    std::printf("log: %d records (24 hours), %.1f MB\nruns: %d (medians, p10..p90 in brackets)\n", kRecords,
                kRecords * 64 / 1e6, runs);

    const QString self = QString::fromLocal8Bit(argv[0]);
    const QString log = QString::fromStdString(path);
    std::vector<Timing> fromSpawn, fromMain, application, window, paint;
    for (int i = 0; i < runs; ++i) {
        const auto result = runColdChild(self, log);
        if (!result) {
            std::fprintf(stderr, "bench-startup: a cold start failed\n");
            return 1;
        }
        fromSpawn.push_back(result->fromSpawn);
        fromMain.push_back(result->fromMain);
        application.push_back(result->application);
        window.push_back(result->window);
        paint.push_back(result->paint);
    }
    std::printf("%s\n", formatSummary("cold: spawn to first paint", summarise(fromSpawn)).c_str());
    std::printf("%s\n", formatSummary("cold: main() to first paint", summarise(fromMain)).c_str());
    std::printf("%s\n", formatSummary("  QApplication", summarise(application)).c_str());
    std::printf("%s\n", formatSummary("  main window with replay", summarise(window)).c_str());
    std::printf("%s\n", formatSummary("  show to first paint", summarise(paint)).c_str());

    qputenv("QT_QPA_PLATFORM", "offscreen");
    {
        QApplication application(argc, argv);
        warmStart(log); // the first window pays the one-off costs
        std::vector<Timing> warm;
        for (int i = 0; i < runs; ++i)
            warm.push_back(warmStart(log));
        std::printf("%s\n", formatSummary("warm: window, replay, first paint", summarise(warm)).c_str());
    }
    std::fflush(stdout); // the watcher writes to the same stdout
    const bool watched = runProgramWatch(self, log, runs);
    std::printf("target: under 500 ms to the first painted window\n");
    return watched ? 0 : 1;
}
