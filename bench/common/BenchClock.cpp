#include "bench/common/BenchClock.h"

#include <algorithm>
#include <cstdio>

#include <time.h>

namespace {

double clockMs(clockid_t id)
{
    timespec ts{};
    ::clock_gettime(id, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) * 1e-6;
}

// Nearest-rank percentile of a sorted column.
double percentile(const std::vector<double>& sorted, double p)
{
    const double rank = p * static_cast<double>(sorted.size() - 1);
    return sorted[static_cast<std::size_t>(rank + 0.5)];
}

} // namespace

BenchClock::BenchClock() : wall_(std::chrono::steady_clock::now()), cpu_(threadCpuMs()) {}

Timing BenchClock::elapsed() const
{
    const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall_).count();
    return {wall, threadCpuMs() - cpu_};
}

double BenchClock::threadCpuMs()
{
    return clockMs(CLOCK_THREAD_CPUTIME_ID);
}

double BenchClock::processCpuMs()
{
    return clockMs(CLOCK_PROCESS_CPUTIME_ID);
}

TimingSummary summarise(std::vector<Timing> timings)
{
    TimingSummary summary;
    summary.runs = timings.size();
    if (timings.empty())
        return summary;
    std::vector<double> wall, cpu;
    for (const Timing& t : timings) {
        wall.push_back(t.wallMs);
        cpu.push_back(t.cpuMs);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    summary.median = {percentile(wall, 0.5), percentile(cpu, 0.5)};
    summary.low = {percentile(wall, 0.1), percentile(cpu, 0.1)};
    summary.high = {percentile(wall, 0.9), percentile(cpu, 0.9)};
    return summary;
}

std::string formatSummary(const std::string& name, const TimingSummary& s)
{
    char line[256];
    std::snprintf(line, sizeof line, "%-34s %9.2f ms wall (%.2f..%.2f) %9.2f ms CPU (%.2f..%.2f)", name.c_str(),
                  s.median.wallMs, s.low.wallMs, s.high.wallMs, s.median.cpuMs, s.low.cpuMs, s.high.cpuMs);
    return line;
}
