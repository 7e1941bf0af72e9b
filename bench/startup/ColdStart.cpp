#include "bench/startup/ColdStart.h"

#include "app/CMonitorApp.h"
#include "app/CMonitorDlg.h"
#include "overview/COverviewPanel.h"

#include <QApplication>
#include <QEvent>

#include <cstdio>

namespace {

// Sees every event of the application: the main window being shown (its
// construction, replay included, is over) and the overview's first paint.
class StartWatch : public QObject {
public:
    std::optional<BenchClock> sinceShown;
    std::optional<Timing> window;
    std::optional<Timing> paint;
    std::chrono::steady_clock::time_point stoppedAt;
    double processCpuAtStop = 0;
    std::optional<BenchClock> sinceApplication;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !window && qobject_cast<CMonitorDlg*>(watched)) {
            window = sinceApplication->elapsed();
            sinceShown.emplace();
        } else if (event->type() == QEvent::Paint && sinceShown && !stopping_) {
            if (auto* overview = qobject_cast<COverviewPanel*>(watched)) {
                // Stop once this paint and the flush that follows it are done.
                stopping_ = true;
                QMetaObject::invokeMethod(
                    this,
                    [this, overview] {
                        paint = sinceShown->elapsed();
                        stoppedAt = std::chrono::steady_clock::now();
                        processCpuAtStop = BenchClock::processCpuMs();
                        if (auto* window = qobject_cast<CMonitorDlg*>(overview->window()))
                            window->done(0);
                    },
                    Qt::QueuedConnection);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool stopping_ = false;
};

} // namespace

int ColdStart::run(int argc, char** argv, const char* log)
{
    const auto mainEntered = std::chrono::steady_clock::now();
    const BenchClock sinceMain;
    const double cpuAtMain = BenchClock::processCpuMs();
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Trelvane"));
    QApplication::setApplicationName(QStringLiteral("Trelvane"));
    StartWatch watch;
    const Timing applicationTiming = sinceMain.elapsed();
    watch.sinceApplication.emplace();
    application.installEventFilter(&watch);

    CMonitorApp app;
    app.run({QStringLiteral("trelvane"), QString::fromLocal8Bit(log)});
    if (!watch.paint || app.state().chart.historyCount == 0) {
        std::fprintf(stderr, "bench-startup: the replayed window did not paint\n");
        return 1;
    }
    const double cpuAtStop = watch.processCpuAtStop;
    std::printf("%lld %.4f %.4f %.4f %.4f %.4f %.4f %.4f %.4f %.4f\n",
                static_cast<long long>(watch.stoppedAt.time_since_epoch().count()),
                std::chrono::duration<double, std::milli>(watch.stoppedAt - mainEntered).count(),
                cpuAtStop - cpuAtMain, cpuAtStop, applicationTiming.wallMs, applicationTiming.cpuMs,
                watch.window->wallMs, watch.window->cpuMs, watch.paint->wallMs, watch.paint->cpuMs);
    return 0;
}

std::optional<ColdStart::Result> ColdStart::parse(const std::string& output)
{
    long long stopped = 0;
    Result r;
    if (std::sscanf(output.c_str(), "%lld %lf %lf %lf %lf %lf %lf %lf %lf %lf", &stopped, &r.fromMain.wallMs,
                    &r.fromMain.cpuMs, &r.fromSpawn.cpuMs, &r.application.wallMs, &r.application.cpuMs,
                    &r.window.wallMs, &r.window.cpuMs, &r.paint.wallMs, &r.paint.cpuMs)
        != 10)
        return std::nullopt;
    r.stoppedAt = std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(stopped));
    return r;
}
