// The analysis window with long logs: opening a log to the first painted
// window, redrawing while zooming and panning, and the memory one open run
// takes. Usage:
//   bench-analysis [RUNS]              open 1,000,000 and 86,400 records; redraws
//   bench-analysis --redraw            the redraws alone
//   bench-analysis --memory RECORDS    memory of one run of RECORDS, in a fresh process
#include "analysis/AnalysisWindow.h"
#include "analysis/Decimation.h"
#include "analysis/PlotView.h"
#include "bench/common/BenchClock.h"
#include "bench/common/PaintWatch.h"
#include "bench/common/SyntheticCharge.h"
#include "bench/common/TempDir.h"

#include <QApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kMillion = 1000000;
constexpr int kDay = 86400;
constexpr int kFramesPerZoom = 60;
const QSize kWindowSize(1280, 820);

// kB of a /proc/self/status line ("VmRSS", "VmHWM").
long statusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    long value = 0;
    while (status >> name) {
        if (name == std::string(key) + ":") {
            status >> value;
            return value;
        }
        std::getline(status, name);
    }
    return -1;
}

bool writeLog(const std::string& path, int records)
{
    if (!SyntheticCharge::writeLog(path, records)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    // Read once, so every run reads from the page cache as right after recording.
    std::ifstream in(path, std::ios::binary);
    std::vector<char> block(1 << 20);
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
    }
    return true;
}

// From constructing the window to the end of its first paint with the run drawn.
Timing openToFirstPaint(const QString& path)
{
    PaintWatch watch;
    const BenchClock clock;
    AnalysisWindow window;
    window.resize(kWindowSize);
    watch.watch(window.view()->viewport());
    watch.mark();
    window.show();
    window.openFile(path);
    if (!watch.waitForPaints({window.view()->viewport()}, 10000)) {
        std::fprintf(stderr, "the window did not paint\n");
        std::exit(1);
    }
    const Timing t = clock.elapsed();
    if (window.session().run(0).data().empty()) {
        std::fprintf(stderr, "nothing was read\n");
        std::exit(1);
    }
    return t;
}

void benchOpen(const TempDir& dir, int runs)
{
    for (int records : {kDay, kMillion}) {
        const std::string log = dir.file("open-" + std::to_string(records) + ".tvr");
        if (!writeLog(log, records))
            std::exit(1);
        openToFirstPaint(QString::fromStdString(log)); // fonts, styles, first allocations
        std::vector<Timing> timings;
        for (int r = 0; r < runs; ++r)
            timings.push_back(openToFirstPaint(QString::fromStdString(log)));
        std::printf("%s\n", formatSummary("open " + std::to_string(records) + " records to first paint",
                                          summarise(timings))
                                .c_str());
        std::vector<Timing> loads;
        for (int r = 0; r < runs; ++r) {
            AnalysisRun run(log);
            const BenchClock clock;
            run.load();
            loads.push_back(clock.elapsed());
        }
        std::printf("%s\n", formatSummary("  of which reading the log", summarise(loads)).c_str());
    }
}

// Redraw frames of the window at several zoom levels: each frame pans by a
// tenth of the view (or zooms) and repaints synchronously.
void benchRedraw(const TempDir& dir)
{
    const std::string log = dir.file("redraw.tvr");
    if (!writeLog(log, kMillion))
        std::exit(1);
    AnalysisWindow window;
    window.resize(kWindowSize);
    window.show();
    window.openFile(QString::fromStdString(log));
    QApplication::processEvents();
    QWidget* viewport = window.view()->viewport();
    TimeView& view = window.session().view();
    std::printf("plots %d, plot width %.0f px, traces voltage, current, capacity, temperature\n",
                window.plots().plotCount(), window.plots().plotArea(0).width());

    std::vector<Timing> all, computeAll;
    for (double span : {1e6, 1e5, 1e4, 1e3, 1e2}) {
        view.reset();
        view.zoom(view.extentFrom(), span / view.span());
        std::vector<Timing> frames, compute;
        for (int f = 0; f < kFramesPerZoom; ++f) {
            const BenchClock frame;
            if (span >= view.extentTo() - view.extentFrom())
                view.zoom((view.from() + view.to()) / 2, f % 2 ? 1.01 : 1 / 1.01); // nothing to pan: breathe
            else
                view.pan(view.span() / 10);
            window.redraw();
            compute.push_back(frame.elapsed());
            viewport->repaint();
            frames.push_back(frame.elapsed());
        }
        all.insert(all.end(), frames.begin(), frames.end());
        computeAll.insert(computeAll.end(), compute.begin(), compute.end());
        std::printf("%s\n", formatSummary("frame, span " + std::to_string(static_cast<long>(span)) + " s",
                                          summarise(frames)).c_str());
        std::printf("%s\n", formatSummary("  of which decimation + series", summarise(compute)).c_str());
    }
    std::printf("%s\n", formatSummary("frame, every zoom", summarise(all)).c_str());
    std::printf("%s\n", formatSummary("  of which decimation + series", summarise(computeAll)).c_str());

    // The parts of a frame on their own.
    {
        std::vector<Timing> refresh, stats, paint;
        for (int r = 0; r < 20; ++r) {
            view.pan(r % 2 ? 1000 : -1000);
            window.plots().setTimeRange(view.from(), view.to());
            BenchClock a;
            window.plots().refresh();
            refresh.push_back(a.elapsed());
            BenchClock b;
            window.session().stats();
            stats.push_back(b.elapsed());
            BenchClock c;
            viewport->repaint();
            paint.push_back(c.elapsed());
        }
        std::printf("%s\n", formatSummary("plots refreshed (decimation, series, axes)", summarise(refresh)).c_str());
        std::printf("%s\n", formatSummary("figures between the cursors", summarise(stats)).c_str());
        std::printf("%s\n", formatSummary("paint", summarise(paint)).c_str());
    }

    // The core alone: four traces of the whole run into 1000 columns.
    const RunData& data = window.session().run(0).data();
    std::vector<Timing> decimations;
    for (int r = 0; r < 20; ++r) {
        const BenchClock clock;
        for (Trace t : basicTraces())
            decimate(data, t, data.firstTime() + r, data.lastTime() - r, 1000);
        decimations.push_back(clock.elapsed());
    }
    std::printf("%s\n", formatSummary("decimate 4 traces, whole run, 1000 columns", summarise(decimations)).c_str());
}

int memory(const TempDir& dir, int records, const char* existing)
{
    const std::string log = existing ? existing : dir.file("memory.tvr");
    if (!existing && !writeLog(log, records))
        return 1;
    AnalysisWindow window;
    window.resize(kWindowSize);
    window.show();
    QApplication::processEvents();
    const long before = statusKb("VmRSS");
    const long peakBefore = statusKb("VmHWM");
    const BenchClock clock;
    if (!window.openFile(QString::fromStdString(log)))
        return 1;
    window.view()->viewport()->repaint();
    const Timing t = clock.elapsed();
    const long after = statusKb("VmRSS");
    const long peak = statusKb("VmHWM");
    const double fileMb = static_cast<double>(QFile(QString::fromStdString(log)).size()) / 1e6;
    std::printf("records %zu, file %.1f MB, opened and painted in %.0f ms (CPU %.0f ms)\n",
                window.session().run(0).data().size(), fileMb, t.wallMs, t.cpuMs);
    std::printf("resident before %.1f MB, after %.1f MB: the run takes %.1f MB (file + %.1f MB)\n", before / 1e3,
                after / 1e3, (after - before) / 1e3, (after - before) / 1e3 - fileMb);
    std::printf("peak resident before %.1f MB, after %.1f MB\n", peakBefore / 1e3, peak / 1e3);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TempDir dir;
    if (!dir.valid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    if (argc >= 2 && std::string(argv[1]) == "--redraw") { // for a profiler
        benchRedraw(dir);
        return 0;
    }
    if (argc >= 3 && std::string(argv[1]) == "--memory")
        return memory(dir, std::atoi(argv[2]), argc >= 4 ? argv[3] : nullptr);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 9;
    if (runs <= 0) {
        std::fprintf(stderr, "usage: bench-analysis [RUNS] | --memory RECORDS [EXISTING.tvr]\n");
        return 2;
    }
    benchOpen(dir, runs);
    benchRedraw(dir);
    return 0;
}
