#pragma once

// A 3S charge log for the library's tools and windows.

#include "core/recording/TempDir.h"

#include <filesystem>
#include <string>
#include <vector>

// A charge of `mah` over `seconds` that ends with cell 3 `lagMv` behind;
// distinct per `seed`. Creates the log's folder.
inline void writeLaggingCharge(const std::string& path, int mah, int seconds, int lagMv, int seed)
{
    std::vector<MeasurementRecord> rs;
    for (int s = 1; s <= seconds; ++s) {
        MeasurementRecord r;
        r.elapsedSeconds = s;
        r.voltage = 12.0f;
        r.current = 2.0f;
        r.temperature = 30.0f;
        r.capacity = mah * s / seconds;
        r.cellVoltage[0] = r.cellVoltage[1] = 4.2f;
        r.cellVoltage[2] = 4.2f - 0.001f * static_cast<float>(lagMv);
        r.batteryType = 1;
        r.chargeMode = 1;
        r.auxValue = static_cast<float>(seed);
        rs.push_back(r);
    }
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeRecords(path, rs);
}
