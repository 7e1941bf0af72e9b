// Scanning a folder of one-hour logs into a new run library, then again with
// nothing changed, then after a folder of them was moved.
// Usage: bench-library-scan [FILES] [RECORDS]
#include "bench/common/BenchClock.h"
#include "bench/common/SyntheticCharge.h"
#include "bench/common/TempDir.h"
#include "library/LibraryScan.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kFilesPerFolder = 100; // as a hobbyist might sort them: a folder a month or a pack

// Every log a little different (its aux value), so that each is a run of its own.
bool writeLog(const std::string& path, int records, int file)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(records) * kRecordSize);
    for (int s = 1; s <= records; ++s) {
        MeasurementRecord r = SyntheticCharge::sample(s);
        r.auxValue = static_cast<float>(file) / 100.0f;
        const RecordBytes b = toBytes(r);
        bytes.insert(bytes.end(), b.begin(), b.end());
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

void line(const char* what, const Timing& t, const ScanReport& r, double megabytes)
{
    std::printf("%-28s wall %8.0f ms  CPU %8.0f ms  read %6lld files (%.0f MB/s wall)  added %lld moved %lld "
                "unchanged %lld\n",
                what, t.wallMs, t.cpuMs, static_cast<long long>(r.read),
                t.wallMs > 0 ? megabytes / (t.wallMs / 1000.0) : 0.0, static_cast<long long>(r.added),
                static_cast<long long>(r.moved), static_cast<long long>(r.unchanged));
}

} // namespace

int main(int argc, char** argv)
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int records = argc > 2 ? std::atoi(argv[2]) : 3600;
    if (files < 1 || records < 1) {
        std::fprintf(stderr, "usage: bench-library-scan [FILES] [RECORDS]\n");
        return 2;
    }
    TempDir dir;
    if (!dir.valid())
        return 1;
    const std::string logs = dir.file("logs");
    std::printf("writing %d logs of %d records (%.0f MB) under %s ...\n", files, records,
                static_cast<double>(files) * records * kRecordSize / 1e6, logs.c_str());
    std::fflush(stdout);
    for (int f = 0; f < files; ++f) {
        const std::string folder = logs + "/" + std::to_string(f / kFilesPerFolder);
        if (f % kFilesPerFolder == 0)
            std::filesystem::create_directories(folder);
        if (!writeLog(folder + "/run" + std::to_string(f) + ".tvr", records, f)) {
            std::fprintf(stderr, "bench-library-scan: cannot write the logs under %s\n", logs.c_str());
            return 1;
        }
    }
    const double megabytes = static_cast<double>(files) * records * kRecordSize / 1e6;
    // The logs were just written, so they are in the page cache: this measures
    // the library's own work, not the disk.
    RunLibrary library(dir.file("library.sqlite"), RunLibrary::Access::Write);

    BenchClock first;
    const ScanReport added = LibraryScan(library).scan({logs});
    line("first scan (new library)", first.elapsed(), added, megabytes);

    BenchClock again;
    const ScanReport unchanged = LibraryScan(library).scan({logs});
    line("re-scan, nothing changed", again.elapsed(), unchanged, 0);

    std::filesystem::rename(logs + "/0", logs + "/moved");
    BenchClock moved;
    const ScanReport afterMove = LibraryScan(library).scan({logs});
    line("re-scan, one folder moved", moved.elapsed(), afterMove, 0);

    const bool ok = added.added == files && unchanged.read == 0 && afterMove.moved == std::min(files, kFilesPerFolder);
    std::printf("%s\n", ok ? "checks: every log added; nothing read again; the moved folder found by hash"
                           : "checks FAILED");
    return ok ? 0 : 1;
}
