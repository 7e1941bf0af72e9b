// bench-chart-paint [RUNS]: time of one full paint (background, axes, plot and
// a 320-entry series) of each small chart panel and of the detail chart, the
// work a recording tick causes once a second. Prints the median of RUNS.
//
// Each paint is set against its Qt floor, measured in the same runs, one
// after the other: the very same painter calls (the background bitmap, every
// label, every fill and every run of the series) recorded once and played
// back as QPainter calls (PaintRecording), so that nothing of the program's
// own work is left.
#include "bench/common/PaintRecording.h"
#include "charts/CDetailPanel.h"
#include "charts/CQuantityChart.h"
#include "charts/ChartInstance.h"
#include "res/Bitmaps.h"

#include <QApplication>
#include <QPainter>
#include <QImage>
#include <QPixmap>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

ChartState fullHistory()
{
    ChartState state;
    state.historyCount = kHistoryCapacity;
    state.xScale = 2;
    state.timeSpan = 640;
    for (int i = 0; i < kHistoryCapacity; ++i) {
        MeasurementRecord& r = state.history[static_cast<std::size_t>(i)];
        // A zig-zag makes every segment steep: the most pixels per line.
        const double wave = (i % 2 == 0) ? 0.0 : 1.0;
        r.voltage = static_cast<float>(14.8 + 2.0 * wave);
        r.current = static_cast<float>(0.2 + 1.8 * wave);
        r.temperature = static_cast<float>(20.0 + 10.0 * wave);
        r.capacity = static_cast<std::int32_t>(2000.0 * wave);
    }
    const float bounds[][2] = {{0.0f, 2000.0f}, {14.8f, 16.8f}, {20.0f, 30.0f}, {0.2f, 2.0f}};
    for (int q = 0; q < kQuantityCount; ++q)
        state.ranges[static_cast<std::size_t>(q)] = {bounds[q][1], bounds[q][0]};
    return state;
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct PaintTiming {
    double paintMs = 0;
    double floorMs = 0;
};

// The widget's own paint (its child buttons paint themselves) and the replay
// of its recorded painter calls, interleaved.
PaintTiming timePaint(QWidget& widget, int runs)
{
    const QWidget::RenderFlags own = QWidget::DrawWindowBackground;
    PaintRecording calls(widget.size());
    widget.render(&calls, {}, {}, own);
    QPixmap target(widget.size());
    {
        // The floor must draw what the paint draws, or it measures something else.
        widget.render(&target, {}, {}, own);
        const QImage painted = target.toImage();
        target.fill(Qt::magenta);
        QPainter painter(&target);
        calls.replay(painter);
        painter.end();
        if (target.toImage() != painted)
            std::printf("  (the floor's replay of %s differs from its paint)\n", widget.metaObject()->className());
    }
    std::vector<double> paints, floors;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        widget.render(&target, {}, {}, own);
        auto end = std::chrono::steady_clock::now();
        paints.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        start = std::chrono::steady_clock::now();
        {
            QPainter painter(&target);
            calls.replay(painter);
        }
        end = std::chrono::steady_clock::now();
        floors.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    return {median(paints), median(floors)};
}

double medianMs(QWidget& widget, int runs)
{
    return timePaint(widget, runs).paintMs;
}

void printTiming(const char* name, const PaintTiming& t)
{
    std::printf("%-20s %8.3f ms   Qt floor %8.3f ms   ratio %5.2f (target: at most 1.3)\n", name, t.paintMs,
                t.floorMs, t.paintMs / t.floorMs);
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const ChartState state = fullHistory();

    double panels = 0.0;
    for (const ChartInstance& instance : kChartInstances) {
        CQuantityChart chart(instance, state);
        const PaintTiming t = timePaint(chart, runs);
        panels += t.paintMs;
        printTiming(instance.title, t);
    }
    SharedWords words;
    CDetailPanel detail(state, words);
    const PaintTiming detailTiming = timePaint(detail, runs);
    const double detailMs = detailTiming.paintMs;
    printTiming("detail chart", detailTiming);
    const ChartState empty;
    CDetailPanel emptyDetail(empty, words);
    std::printf("  without a series   %8.3f ms\n", medianMs(emptyDetail, runs));
    // The share of the background: the bitmap lookup and its stretch.
    for (int id : {CQuantityChart::kBackgroundBitmap, CDetailPanel::kBackgroundBitmap}) {
        const QSize size = id == CDetailPanel::kBackgroundBitmap ? detail.size() : QSize(CQuantityChart::kWidth, CQuantityChart::kHeight);
        QPixmap target(size);
        std::vector<double> load, stretch;
        for (int i = 0; i < runs; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            const QPixmap bitmap = loadBitmap(id);
            const auto t1 = std::chrono::steady_clock::now();
            QPainter painter(&target);
            painter.drawPixmap(target.rect(), bitmap);
            painter.end();
            const auto t2 = std::chrono::steady_clock::now();
            load.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
            stretch.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
        }
        std::sort(load.begin(), load.end());
        std::sort(stretch.begin(), stretch.end());
        std::printf("  bitmap %d: load %.3f ms, stretch %.3f ms\n", id, load[load.size() / 2], stretch[stretch.size() / 2]);
    }
    std::printf("one tick's repaints  %8.3f ms (four panels + detail)\n", panels + detailMs);
    return 0;
}
