// bench-tick [TICKS]: one recording tick and the repaints it causes, in the
// real main window under the offscreen platform, with the history as full as
// live recording ever paints it (319 entries: the tick that stores the 320th
// halves the history before anything paints).
//
// Before every measured tick the chart state is put back to the state after
// live tick 2551 (span 2560, step 8, 318 entries), so each measured tick is
// tick 2552: it snapshots, appends and syncs one record to the log, stores the
// 319th history entry, widens the ranges and invalidates the six views. Two
// histories: a smooth charge, and a zig-zag whose every segment spans its chart.
#include "app/AppState.h"
#include "app/CMonitorDlg.h"
#include "bench/common/BenchClock.h"
#include "bench/common/PaintWatch.h"
#include "bench/common/SilentDialogs.h"
#include "bench/common/SyntheticCharge.h"
#include "bench/common/TempDir.h"
#include "charts/CDetailPanel.h"
#include "charts/CQuantityChart.h"
#include "overview/COverviewPanel.h"
#include "recording/LogFile.h"
#include "recording/RecordingHost.h"
#include "recording/RecordingTick.h"
#include "recording/SampleHistory.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kBaselineTick = 2551;
constexpr int kPaintTimeoutMs = 5000;

// Forwards the tick's requests to the main window's views the way the main
// window does for its own tick (which it runs only in live mode, with a port).
class WindowHost : public RecordingHost {
public:
    explicit WindowHost(CMonitorDlg& window) : window_(window) {}

    void showCellIndicators(int count) override { window_.overview()->showCellIndicators(count); }
    void transferOverviewData() override {}
    void invalidate(View view) override
    {
        COverviewPanel* overview = window_.overview();
        switch (view) {
        case View::CapacityPanel: overview->chart(Quantity::Capacity)->update(); break;
        case View::CurrentPanel: overview->chart(Quantity::Current)->update(); break;
        case View::TemperaturePanel: overview->chart(Quantity::Temperature)->update(); break;
        case View::VoltagePanel: overview->chart(Quantity::Voltage)->update(); break;
        case View::DetailPanel: window_.detail()->update(); break;
        case View::OverviewPanel: overview->repaintWithErase(); break;
        }
    }
    void logWriteFailed(const std::string& path, const std::string& reason) override
    {
        std::fprintf(stderr, "bench-tick: cannot write %s: %s\n", path.c_str(), reason.c_str());
        std::exit(1);
    }
    void logWriteRecovered(const std::string&) override {}
    void logFileReplaced(const LogFileChange& change) override
    {
        std::fprintf(stderr, "bench-tick: %s\n", change.headline().c_str());
        std::exit(1);
    }

private:
    CMonitorDlg& window_;
};

struct Scenario {
    const char* name;
    std::function<void()> show;             // which view is on screen
    std::vector<QWidget*> painted;           // what must have painted before the clock stops
    std::function<void()> afterPaints;       // extra work inside the measurement
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int ticks = argc > 1 ? std::atoi(argv[1]) : 200;
    if (ticks <= 0) {
        std::fprintf(stderr, "usage: bench-tick [TICKS]\n");
        return 2;
    }
    TempDir dir;
    if (!dir.valid()) {
        std::perror("mkdtemp");
        return 1;
    }

    AppState app;
    app.words.runMode = 2; // neither live nor replay: the benchmark drives the tick itself
    SilentDialogs dialogs;
    CMonitorDlg window(app, dialogs);
    app.words.runMode = RunMode::Live;
    app.words.frameVariant = 1;

    WindowHost host(window);
    SampleHistory history(app.chart, app.words, host);
    RecordingTick tick(history, app.liveRecord, dir.file("bench.tvr"));
    // The history shape decides how many pixels the series cover: a smooth
    // charge, or stored samples alternating between two levels so that every
    // segment spans its whole chart (the most a series can cost).
    bool zigZag = false;
    const auto feed = [&](int second) {
        MeasurementRecord sample = SyntheticCharge::sample(second);
        if (zigZag && (second / 8) % 2 == 1) {
            sample.voltage += 1.0f;
            sample.current += 1.5f;
            sample.temperature += 10.0f;
            sample.capacity += 1000;
        }
        app.liveRecord.write([&](MeasurementRecord& r) {
            r = sample;
            r.elapsedSeconds = 0; // the live record carries no stamp
        });
    };

    PaintWatch watch;
    COverviewPanel* overview = window.overview();
    std::vector<QWidget*> overviewViews{overview};
    for (Quantity q : {Quantity::Capacity, Quantity::Voltage, Quantity::Temperature, Quantity::Current})
        overviewViews.push_back(overview->chart(q));
    for (QWidget* w : overviewViews)
        watch.watch(w);
    watch.watch(window.detail());

    window.show();
    watch.mark();
    if (!watch.waitForPaints({overview}, kPaintTimeoutMs)) {
        std::fprintf(stderr, "bench-tick: the main window never painted\n");
        return 1;
    }

    ChartState baseline;
    // A charge up to the baseline, recorded as live recording does it.
    const auto recordBaseline = [&] {
        app.chart = ChartState{};
        app.words.secondsCounter = 0;
        for (int s = 1; s <= kBaselineTick; ++s) {
            feed(s);
            tick.tick();
        }
        PaintWatch::settle();
        baseline = app.chart;
        std::printf("history after tick %d: %d entries, step %d, span %d\n", kBaselineTick, baseline.historyCount,
                    baseline.thinningStep, baseline.timeSpan);
    };
    const auto restore = [&](int i) {
        app.chart = baseline;
        app.words.secondsCounter = kBaselineTick;
        feed(kBaselineTick + 1 + i);
        PaintWatch::settle();
    };
    const auto checkTick = [&] {
        if (app.chart.historyCount != baseline.historyCount + 1 || app.chart.timeSpan != baseline.timeSpan) {
            std::fprintf(stderr, "bench-tick: the measured tick did not store a sample (%d entries)\n",
                         app.chart.historyCount);
            std::exit(1);
        }
    };

    CDetailPanel* detail = window.detail();
    QPixmap detailTarget(detail->size()); // allocated once, like a backing store
    const std::vector<Scenario> scenarios{
        {"tick alone (no paint)", [&] { window.showOverview(); }, {}, {}},
        {"tick + overview view repaint", [&] { window.showOverview(); }, overviewViews, {}},
        {"tick + detail view repaint", [&] { window.showDetail(); }, {detail}, {}},
        {"tick + all six views", [&] { window.showOverview(); }, overviewViews,
         [&] { detail->render(&detailTarget); }}, // the hidden detail view painted as well
    };

    std::printf("log in %s\nticks: %d per scenario (medians, p10..p90 in brackets)\n", dir.path().c_str(), ticks);
    {
        // The part of a tick that waits for the disk.
        LogAppender appender(dir.file("append.tvr"));
        std::vector<Timing> timings;
        for (int i = 0; i < ticks; ++i) {
            const BenchClock clock;
            if (!appender.append(SyntheticCharge::sample(i + 1)).empty()) {
                std::fprintf(stderr, "bench-tick: cannot append to %s\n", appender.path().c_str());
                return 1;
            }
            timings.push_back(clock.elapsed());
        }
        std::printf("%s\n", formatSummary("log append (open, write, sync)", summarise(timings)).c_str());
    }
    for (const bool shape : {false, true}) {
        zigZag = shape;
        std::printf("%s history:\n", zigZag ? "zig-zag" : "charge");
        recordBaseline();
        for (const Scenario& scenario : scenarios) {
            scenario.show();
            PaintWatch::settle();
            std::vector<Timing> timings;
            for (int i = 0; i < ticks; ++i) {
                restore(i);
                watch.mark();
                const BenchClock clock;
                tick.tick();
                if (!watch.waitForPaints(scenario.painted, kPaintTimeoutMs)) {
                    std::fprintf(stderr, "bench-tick: %s: a view did not repaint\n", scenario.name);
                    return 1;
                }
                if (scenario.afterPaints)
                    scenario.afterPaints();
                timings.push_back(clock.elapsed());
                checkTick();
            }
            std::printf("%s\n", formatSummary(scenario.name, summarise(timings)).c_str());
        }
    }
    std::printf("target: tick + repaint of all six views at most 2.0 ms median, zig-zag history included\n");
    if (!dialogs.messages.isEmpty()) {
        std::fprintf(stderr, "bench-tick: unexpected message: %s\n", qPrintable(dialogs.messages.first()));
        return 1;
    }
    return 0;
}
