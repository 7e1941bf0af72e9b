#include "bench/startup/ProgramWatch.h"

#include "bench/common/BenchClock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>

#include <cstdio>
#include <functional>
#include <vector>

#include <unistd.h>

namespace {

// Window rows 128..131: through the capacity chart's plot, its series and
// labels, and the overview's background on both sides. The program places its
// window at (0, 0); with no window manager nothing moves it.
const QRect kStrip(0, 128, 1024, 4);
constexpr int kStartTimeoutMs = 20000;

QImage strip(QScreen* screen)
{
    return screen->grabWindow(0, kStrip.x(), kStrip.y(), kStrip.width(), kStrip.height()).toImage();
}

bool pollUntil(const std::function<bool()>& done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::usleep(1000);
    }
    return true;
}

// utime + stime of a process, in milliseconds (clock-tick resolution).
double processCpuMs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const double ticks = fields[11].toDouble() + fields[12].toDouble(); // utime, stime
    return ticks * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

class Program {
public:
    Program(const char* program, const char* log)
    {
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(QString::fromLocal8Bit(program), {QString::fromLocal8Bit(log)});
    }
    ~Program()
    {
        process_.terminate();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }
    qint64 pid() const { return process_.processId(); }

private:
    QProcess process_;
};

} // namespace

int ProgramWatch::run(int argc, char** argv, const char* program, const char* log, int runs)
{
    QGuiApplication application(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || runs <= 0)
        return 2;
    const QImage empty = strip(screen);
    const auto screenIsEmpty = [&] { return strip(screen) == empty; };

    // An untimed first start: the finished paint is what the strip shows once
    // it has stopped changing for a second.
    QImage reference;
    {
        const Program first(program, log);
        if (!pollUntil([&] { return !screenIsEmpty(); }, kStartTimeoutMs)) {
            std::fprintf(stderr, "bench-startup: trelvane showed no window\n");
            return 1;
        }
        QImage last = strip(screen);
        QDeadlineTimer stable(1000);
        const bool settled = pollUntil(
            [&] {
                const QImage now = strip(screen);
                if (now != last) {
                    last = now;
                    stable.setRemainingTime(1000);
                }
                return stable.hasExpired();
            },
            kStartTimeoutMs);
        if (!settled) {
            std::fprintf(stderr, "bench-startup: trelvane's window kept changing\n");
            return 1;
        }
        reference = last;
    }

    std::vector<Timing> timings;
    for (int i = 0; i < runs; ++i) {
        if (!pollUntil(screenIsEmpty, kStartTimeoutMs)) {
            std::fprintf(stderr, "bench-startup: the previous window did not go\n");
            return 1;
        }
        const BenchClock clock;
        const Program started(program, log);
        if (!pollUntil([&] { return strip(screen) == reference; }, kStartTimeoutMs)) {
            std::fprintf(stderr, "bench-startup: trelvane did not show the replayed charts\n");
            return 1;
        }
        Timing timing = clock.elapsed();
        timing.cpuMs = processCpuMs(started.pid());
        timings.push_back(timing);
    }
    std::printf("%s\n", formatSummary("trelvane FILE.tvr: spawn to window", summarise(timings)).c_str());
    std::printf("  (CPU: the program's utime + stime; the strip is polled every 1 ms)\n");
    return 0;
}
