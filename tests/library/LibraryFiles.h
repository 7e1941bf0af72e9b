#pragma once

// Logs and libraries in a temporary folder for the library's tests.

#include "core/recording/TempDir.h"
#include "library/RunLibrary.h"

#include <filesystem>
#include <string>
#include <vector>

// A charge of `seconds` records at `current` A, distinct for every `seed`.
inline std::vector<MeasurementRecord> chargeRecords(int seconds, float current, int seed)
{
    std::vector<MeasurementRecord> out;
    for (int s = 1; s <= seconds; ++s) {
        MeasurementRecord r;
        r.elapsedSeconds = s;
        r.voltage = 11.1f + 1.5f * static_cast<float>(s) / static_cast<float>(seconds);
        r.current = current;
        r.temperature = 25.0f + static_cast<float>(seed % 10);
        r.capacity = static_cast<std::int32_t>(current * static_cast<float>(s) / 3.6f);
        for (int c = 0; c < 3; ++c)
            r.cellVoltage[c] = r.voltage / 3 - (c == 2 ? 0.001f * static_cast<float>(seed % 40) : 0.0f);
        r.batteryType = 1;
        r.chargeMode = 1;
        // The charger's two-byte value: whole part and hundredths.
        r.auxValue = static_cast<float>(seed % 256) + 0.01f * static_cast<float>(seed / 256 % 100);
        out.push_back(r);
    }
    return out;
}

inline void writeRun(const std::string& path, int seed, int seconds = 120)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeRecords(path, chargeRecords(seconds, 2.0f, seed));
}

// The library's files: the database and SQLite's two beside it.
inline void removeLibrary(const std::string& path)
{
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(path + suffix);
}
