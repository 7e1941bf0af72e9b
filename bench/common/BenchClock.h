#pragma once

#include <chrono>
#include <string>
#include <vector>

// Wall-clock and CPU time of one measurement. On a busy machine the wall clock
// also counts time spent waiting for a core; the CPU time does not.
struct Timing {
    double wallMs = 0;
    double cpuMs = 0;
};

// Starts both clocks on construction; elapsed() reads them. The CPU clock is
// the calling thread's (the user-interface thread does all the work measured).
class BenchClock {
public:
    BenchClock();
    Timing elapsed() const;

    static double threadCpuMs();
    static double processCpuMs();

private:
    std::chrono::steady_clock::time_point wall_;
    double cpu_;
};

// Medians of the wall and CPU columns taken separately, with the spread.
struct TimingSummary {
    Timing median;
    Timing low;  // 10th percentile
    Timing high; // 90th percentile
    std::size_t runs = 0;
};

TimingSummary summarise(std::vector<Timing> timings);

// "name   median wall (p10..p90)   median CPU (p10..p90)" on one line.
std::string formatSummary(const std::string& name, const TimingSummary& summary);
