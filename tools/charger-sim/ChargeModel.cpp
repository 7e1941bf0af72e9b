#include "ChargeModel.h"

#include <algorithm>
#include <cmath>

namespace {

struct Curve {
    double chargeFrom, chargeTo, dischargeFrom, dischargeTo, chargeAmps;
};

Curve curveFor(Battery battery)
{
    switch (battery) {
    case Battery::NiMH: return {1.25, 1.48, 1.35, 1.05, 1.50};
    case Battery::NiCd: return {1.22, 1.45, 1.30, 1.00, 1.50};
    case Battery::Pb: return {2.05, 2.40, 2.10, 1.85, 1.00};
    case Battery::LiPo: break;
    }
    return {3.70, 4.20, 4.15, 3.50, 2.00};
}

// Fast at first, then flattening out, as a cell's voltage does.
double ease(double progress)
{
    return 1.0 - (1.0 - progress) * (1.0 - progress);
}

constexpr double kSimulatedRunSeconds = 66 * 60; // about a 1C charge

} // namespace

ChargeModel::ChargeModel(Battery battery, int cells, Direction direction, int steps, std::uint32_t seed)
    : battery_(battery), direction_(direction), secondsPerStep_(kSimulatedRunSeconds / std::max(steps, 1)),
      random_(seed)
{
    std::uniform_real_distribution<double> spread(-0.015, 0.015);
    for (int i = 0; i < std::max(cells, 1); ++i)
        cellOffsets_.push_back(spread(random_));
}

double ChargeModel::cellVoltage(double progress) const
{
    const Curve c = curveFor(battery_);
    switch (direction_) {
    case Direction::Charge: return c.chargeFrom + (c.chargeTo - c.chargeFrom) * ease(progress);
    case Direction::Discharge:
        return c.dischargeFrom - (c.dischargeFrom - c.dischargeTo) * progress * progress;
    case Direction::Rest: break;
    }
    return (c.chargeFrom + c.dischargeFrom) / 2.0;
}

double ChargeModel::packCurrent(double progress) const
{
    const Curve c = curveFor(battery_);
    switch (direction_) {
    case Direction::Charge:
        // Lithium cells taper off once they reach their end voltage.
        if (battery_ == Battery::LiPo && progress > 0.75)
            return c.chargeAmps - (c.chargeAmps - 0.20) * (progress - 0.75) / 0.25;
        return c.chargeAmps;
    case Direction::Discharge: return 1.00;
    case Direction::Rest: break;
    }
    return 0.0;
}

PackState ChargeModel::step(double progress)
{
    progress = std::clamp(progress, 0.0, 1.0);
    std::uniform_real_distribution<double> jitter(-0.004, 0.004);
    PackState s;
    const double base = cellVoltage(progress);
    for (double offset : cellOffsets_) {
        s.cells.push_back(base + offset + jitter(random_));
        s.voltage += s.cells.back();
    }
    s.current = packCurrent(progress);
    if (s.current > 0.0)
        s.current += jitter(random_);
    milliampHours_ += s.current * secondsPerStep_ / 3.6;
    s.capacity = int(milliampHours_);
    const double warming = direction_ == Direction::Charge ? 8.0 : direction_ == Direction::Discharge ? 4.0 : 0.0;
    s.temperature = 22 + int(std::lround(warming * progress));
    s.auxValue = 12.0 + 10.0 * jitter(random_);
    return s;
}
