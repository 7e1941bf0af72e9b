#include "SyntheticCharge.h"
#include "recording/SilentRecordingHost.h"

#include "acquisition/SharedWords.h"
#include "recording/LogReplay.h"
#include "recording/RecordingHost.h"
#include "recording/SampleHistory.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace {


constexpr int kCells = 4;
constexpr double kChargeCurrent = 2.0;   // A, constant-current phase
constexpr double kConstantPhase = 3000.0; // s
constexpr double kTaperTime = 600.0;      // s
constexpr double kFullCharge = kChargeCurrent * 1000.0 * (kConstantPhase + kTaperTime) / 3600.0; // mAh

}

MeasurementRecord SyntheticCharge::sample(int second)
{
    const double t = second;
    // Constant current until the cells near 4.2 V, then a tapering current.
    const double taper = std::max(0.0, (t - kConstantPhase) / kTaperTime);
    const double current = kChargeCurrent * std::exp(-taper) + 0.02 * std::sin(t / 37.0);
    const double chargedSeconds = std::min(t, kConstantPhase) + kTaperTime * (1.0 - std::exp(-taper));
    const double capacity = chargedSeconds * kChargeCurrent * 1000.0 / 3600.0;
    const double fill = capacity / kFullCharge;
    const double cell = 3.62 + 0.45 * fill + 0.13 * std::pow(fill, 6.0) + 0.004 * std::sin(t / 53.0);

    MeasurementRecord record{};
    record.auxValue = 0.0f;
    record.voltage = static_cast<float>(cell * kCells);
    record.current = static_cast<float>(current);
    record.temperature = static_cast<float>(std::round(22.0 + 9.0 * fill));
    record.capacity = static_cast<std::int32_t>(capacity);
    for (int c = 0; c < kCells; ++c)
        record.cellVoltage[c] = static_cast<float>(cell + 0.006 * (c - 1.5));
    record.elapsedSeconds = second;
    record.batteryType = 1;
    record.chargeMode = 1;
    return record;
}

bool SyntheticCharge::writeLog(const std::string& path, int seconds)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (int s = 1; s <= seconds && out; ++s) {
        const RecordBytes bytes = toBytes(sample(s));
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    out.close();
    return static_cast<bool>(out);
}

bool SyntheticCharge::replay(const std::string& path, ChartState& state)
{
    SharedWords words;
    words.runMode.store(RunMode::Replay);
    SilentRecordingHost host;
    SampleHistory history(state, words, host);
    const ReplayReport report = readLogFile(path, history);
    return report.opened && report.error.empty();
}
