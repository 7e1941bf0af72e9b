#include "bench/common/SyntheticCharge.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr double kDaySeconds = 86400.0;

} // namespace

MeasurementRecord SyntheticCharge::sample(int second)
{
    const double t = static_cast<double>(second) / kDaySeconds; // 0..1 over a day
    const double ripple = std::sin(static_cast<double>(second) * 0.013);
    MeasurementRecord r;
    r.voltage = static_cast<float>(14.8 + 2.0 * (1.0 - std::exp(-4.0 * t)) + 0.004 * ripple);
    r.current = static_cast<float>(0.25 * std::exp(-2.5 * t) + 0.02 + 0.002 * ripple);
    r.temperature = static_cast<float>(std::round(23.0 + 6.0 * t + 0.8 * ripple));
    r.capacity = static_cast<std::int32_t>(2300.0 * (1.0 - std::exp(-2.5 * t)));
    for (int c = 0; c < 4; ++c)
        r.cellVoltage[c] = static_cast<float>(r.voltage / 4.0 + 0.003 * (c - 1.5));
    r.elapsedSeconds = second;
    r.batteryType = 1;
    r.chargeMode = 1;
    r.auxValue = static_cast<float>(12.0 + 0.1 * ripple);
    return r;
}

bool SyntheticCharge::writeLog(const std::string& path, int records)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    std::vector<std::uint8_t> block;
    block.reserve(4096 * kRecordSize);
    bool ok = true;
    for (int s = 1; s <= records && ok; ++s) {
        const RecordBytes bytes = toBytes(sample(s));
        block.insert(block.end(), bytes.begin(), bytes.end());
        if (block.size() == block.capacity() || s == records) {
            ok = std::fwrite(block.data(), 1, block.size(), out) == block.size();
            block.clear();
        }
    }
    return std::fclose(out) == 0 && ok;
}
