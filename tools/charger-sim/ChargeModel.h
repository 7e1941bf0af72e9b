#pragma once

#include <cstdint>
#include <random>
#include <vector>

enum class Battery { LiPo = 1, NiMH = 2, NiCd = 3, Pb = 4 };

enum class Direction { Charge, Discharge, Rest };

// One moment of the simulated pack, before it is rounded into a frame.
struct PackState {
    double auxValue = 0.0; // supply voltage
    double voltage = 0.0;
    double current = 0.0;
    int temperature = 0;
    int capacity = 0; // mAh
    std::vector<double> cells;
};

// Plausible voltages, current, temperature and capacity over a charge,
// a discharge or a rest, for one battery chemistry and cell count.
class ChargeModel {
public:
    // `steps` calls of step() make up the whole run, which is simulated as
    // a charge of realistic length so that capacities come out plausible.
    ChargeModel(Battery battery, int cells, Direction direction, int steps, std::uint32_t seed);

    // The state at `progress` (0 at the start, 1 at the end); successive calls
    // integrate the current into the capacity.
    PackState step(double progress);

private:
    double cellVoltage(double progress) const;
    double packCurrent(double progress) const;

    Battery battery_;
    Direction direction_;
    double secondsPerStep_;
    std::vector<double> cellOffsets_;
    double milliampHours_ = 0.0;
    std::mt19937 random_;
};
