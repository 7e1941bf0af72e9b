#include "bench/startup/ProgramWatch.h"

#include "bench/common/BenchClock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QStringList>
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
    Program(const QString& program, const QStringList& arguments)
    {
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(program, arguments);
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

// One program to start: the untimed first start gives the strip it settles on.
struct Subject {
    QString name;
    QString program;
    QStringList arguments;
    QImage reference;
    std::vector<Timing> timings;
};

int ProgramWatch::run(int argc, char** argv, const char* program, const char* log, int runs)
{
    QGuiApplication application(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || runs <= 0)
        return 2;
    const QImage empty = strip(screen);
    const auto screenIsEmpty = [&] { return strip(screen) == empty; };

    // The program with the log, and its floor: a bare Qt window of the same
    // size (this benchmark with --bare-window), started alternately.
    std::vector<Subject> subjects = {
        {QStringLiteral("trelvane FILE.tvr: spawn to window"), QString::fromLocal8Bit(program),
         {QString::fromLocal8Bit(log)}, {}, {}},
        {QStringLiteral("bare Qt window: spawn to window"), QString::fromLocal8Bit(argv[0]),
         {QStringLiteral("--bare-window")}, {}, {}},
    };

    for (Subject& subject : subjects) {
        // An untimed first start: the finished paint is what the strip shows
        // once it has stopped changing for a second.
        if (!pollUntil(screenIsEmpty, kStartTimeoutMs)) {
            std::fprintf(stderr, "bench-startup: the previous window did not go\n");
            return 1;
        }
        const Program first(subject.program, subject.arguments);
        if (!pollUntil([&] { return !screenIsEmpty(); }, kStartTimeoutMs)) {
            std::fprintf(stderr, "bench-startup: %s showed no window\n", qPrintable(subject.program));
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
            std::fprintf(stderr, "bench-startup: %s's window kept changing\n", qPrintable(subject.program));
            return 1;
        }
        subject.reference = last;
    }

    for (int i = 0; i < runs; ++i) {
        for (Subject& subject : subjects) {
            if (!pollUntil(screenIsEmpty, kStartTimeoutMs)) {
                std::fprintf(stderr, "bench-startup: the previous window did not go\n");
                return 1;
            }
            const BenchClock clock;
            const Program started(subject.program, subject.arguments);
            if (!pollUntil([&] { return strip(screen) == subject.reference; }, kStartTimeoutMs)) {
                std::fprintf(stderr, "bench-startup: %s did not show its window\n", qPrintable(subject.program));
                return 1;
            }
            Timing timing = clock.elapsed();
            timing.cpuMs = processCpuMs(started.pid());
            subject.timings.push_back(timing);
        }
    }
    std::vector<TimingSummary> summaries;
    for (const Subject& subject : subjects) {
        summaries.push_back(summarise(subject.timings));
        std::printf("%s\n", formatSummary(subject.name.toStdString(), summaries.back()).c_str());
    }
    std::printf("  (alternate starts; CPU: the program's utime + stime; the strip is polled every 1 ms)\n");
    std::printf("trelvane / bare Qt window: %.2f wall, %.2f CPU (target: at most 1.2)\n",
                summaries[0].median.wallMs / summaries[1].median.wallMs,
                summaries[0].median.cpuMs / summaries[1].median.cpuMs);
    return 0;
}
