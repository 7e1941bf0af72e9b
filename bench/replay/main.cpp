// Replay of a log against its floor, a plain sequential read of the same file
// in this process; trelvane-log info and csv against theirs, `cat FILE` as a
// process. Every measurement of a run follows the others (interleaved), the
// medians of RUNS are printed with the ratios.
// Usage: bench-replay [RECORDS] [RUNS]   (1,000,000 records are 64 MB, 16,000,000 are 1 GB)
#include "acquisition/SharedWords.h"
#include "recording/SilentRecordingHost.h"
#include "recording/LogReplay.h"
#include "recording/RecordingHost.h"
#include "recording/SampleHistory.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Wall-clock and CPU seconds of one measurement. On a busy machine the wall
// clock also counts time spent waiting for a core; the CPU time does not.
struct Timing {
    double wall = 0;
    double cpu = 0;
};

double cpuNow()
{
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Times `work` in this process.
template <class Work>
Timing timed(Work&& work)
{
    const double cpu = cpuNow();
    const auto start = Clock::now();
    work();
    return {std::chrono::duration<double>(Clock::now() - start).count(), cpuNow() - cpu};
}


bool writeLog(const std::string& path, long records)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    std::vector<std::uint8_t> block;
    block.reserve(4096 * kRecordSize);
    for (long s = 1; s <= records; ++s) {
        MeasurementRecord r;
        r.elapsedSeconds = static_cast<std::int32_t>(s);
        r.voltage = 11.0f + static_cast<float>(s % 1000) * 0.001f;
        r.current = 2.0f + static_cast<float>(s % 37) * 0.01f;
        r.temperature = static_cast<float>(20 + s % 15);
        r.capacity = static_cast<std::int32_t>(s / 4);
        for (int c = 0; c < 6; ++c)
            r.cellVoltage[c] = 3.6f + static_cast<float>((s + c) % 50) * 0.01f;
        r.batteryType = 1;
        r.chargeMode = 1;
        const RecordBytes bytes = toBytes(r);
        block.insert(block.end(), bytes.begin(), bytes.end());
        if (block.size() == block.capacity() || s == records) {
            if (std::fwrite(block.data(), 1, block.size(), out) != block.size()) {
                std::fclose(out);
                return false;
            }
            block.clear();
        }
    }
    return std::fclose(out) == 0;
}

// Like cat > /dev/null.
Timing sequentialRead(const std::string& path)
{
    std::vector<char> buffer(128 * 1024);
    return timed([&] {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            std::perror(path.c_str());
            std::exit(1);
        }
        while (::read(fd, buffer.data(), buffer.size()) > 0) {
        }
        ::close(fd);
    });
}

Timing replay(const std::string& path, long expected)
{
    ChartState state;
    SharedWords words;
    words.runMode = RunMode::Replay;
    SilentRecordingHost host;
    SampleHistory history(state, words, host);
    ReplayReport report;
    const Timing timing = timed([&] { report = readLogFile(path, history); });
    if (report.records != expected || state.historyCount == 0) {
        std::fprintf(stderr, "replay read %lld records, history %d\n", static_cast<long long>(report.records),
                     state.historyCount);
        std::exit(1);
    }
    return timing;
}

// A whole process with its standard output thrown away.
Timing spawned(std::vector<std::string> arguments)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = Clock::now();
    pid_t child = 0;
    const int rc = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (rc != 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", arguments.front().c_str());
        std::exit(1);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const auto secondsOf = [](timeval t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    return {wall, secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime)};
}

Timing median(std::vector<Timing> v)
{
    Timing m;
    std::sort(v.begin(), v.end(), [](const Timing& a, const Timing& b) { return a.wall < b.wall; });
    m.wall = v[v.size() / 2].wall;
    std::sort(v.begin(), v.end(), [](const Timing& a, const Timing& b) { return a.cpu < b.cpu; });
    m.cpu = v[v.size() / 2].cpu;
    return m;
}

void print(const char* what, const Timing& t)
{
    std::printf("%-20s %9.2f ms wall %9.2f ms CPU\n", what, t.wall * 1e3, t.cpu * 1e3);
}

} // namespace

int main(int argc, char** argv)
{
    const long records = argc > 1 ? std::atol(argv[1]) : 1000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    if (records <= 0 || runs <= 0) {
        std::fprintf(stderr, "usage: bench-replay [RECORDS] [RUNS]\n");
        return 2;
    }

    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/trelvane-bench-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string path = pattern + "/run.tvr";
    if (!writeLog(path, records)) {
        std::perror(path.c_str());
        return 1;
    }
    std::printf("log: %ld records, %.1f MB in %s\n", records, static_cast<double>(records) * 64 / 1e6,
                pattern.c_str());

    // Warm the page cache so every run reads from memory, as a replay right after recording would.
    sequentialRead(path);

    std::vector<Timing> sequential, replays, cats, infos, csvs;
    for (int run = 0; run < runs; ++run) {
        sequential.push_back(sequentialRead(path));
        replays.push_back(replay(path, records));
#ifdef TRELVANE_LOG_TOOL
        cats.push_back(spawned({"cat", path}));
        infos.push_back(spawned({TRELVANE_LOG_TOOL, "info", path}));
        csvs.push_back(spawned({TRELVANE_LOG_TOOL, "csv", path}));
#endif
    }

    const Timing seq = median(sequential);
    const Timing rep = median(replays);
    std::printf("runs: %d (medians, interleaved)\n", runs);
    print("sequential read", seq);
    print("readLogFile", rep);
    std::printf("replay / sequential read: %6.2f wall %6.2f CPU (target: at most 1.3)\n", rep.wall / seq.wall,
                rep.cpu / seq.cpu);
    if (!infos.empty()) {
        const Timing cat = median(cats);
        const Timing info = median(infos);
        const Timing csv = median(csvs);
        print("cat FILE", cat);
        print("trelvane-log info", info);
        print("trelvane-log csv", csv);
        std::printf("info / cat: %6.2f wall %6.2f CPU (target: at most 1.5)\n", info.wall / cat.wall, info.cpu / cat.cpu);
        std::printf("csv: %.0f ms for %ld records = %.0f ms per 1,000,000 (target: at most 400); %.0fx cat\n",
                    csv.wall * 1e3, records, csv.wall * 1e3 * 1e6 / static_cast<double>(records), csv.wall / cat.wall);
    }

    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    return 0;
}
