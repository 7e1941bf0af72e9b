#pragma once

#include "acquisition/MeasurementRecord.h"
#include "analysis/RunData.h"

#include <array>
#include <cstdint>
#include <optional>

// What the library keeps of one run: how it went and the figures a pack is
// judged by. A figure the run cannot give (no cells, no temperature) is empty.
struct RunFigures {
    enum class Mode { Charge, Discharge };

    std::int64_t records = 0;
    double duration = 0; // s since the start of the charge: the last record's stamp
    Mode mode = Mode::Charge;
    std::int32_t batteryType = 0; // the record's code
    int cells = 0;                // cells that ever read anything

    // Capacity in (charge) or out (discharge), as a positive amount.
    double capacity = 0;          // mAh, the charger's own count at the end
    double integratedCapacity = 0; // mAh, from the recorded current
    double energy = 0;            // Wh
    double peakVoltage = 0;       // V
    double endVoltage = 0;        // V
    double peakCurrent = 0;       // A, largest magnitude
    std::optional<double> peakTemperature;           // degrees; empty when the charger reported none
    std::array<std::optional<double>, 8> endCells{}; // V, the first `cells` of them
    std::optional<double> endSpread;                 // mV between the end cells
    std::optional<double> largestSpread;             // mV, anywhere in the run

    // The capacity the pack is judged by: the charger's count, or the
    // integrated current when the charger counted nothing.
    double judgedCapacity() const { return capacity > 0 ? capacity : integratedCapacity; }
};

// The figures of a non-empty run; `first` decides mode and battery type, as
// the first sample does in the program.
RunFigures runFigures(const RunData& run, const MeasurementRecord& first);
