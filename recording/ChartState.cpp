#include "recording/ChartState.h"

double quantityValue(const MeasurementRecord& record, Quantity quantity)
{
    switch (quantity) {
    case Quantity::Capacity:
        return static_cast<double>(record.capacity);
    case Quantity::Voltage:
        return record.voltage;
    case Quantity::Temperature:
        return record.temperature;
    case Quantity::Current:
        return record.current;
    }
    return 0.0;
}
