#include "overview/BatteryIndicator.h"

BatteryIndicator batteryIndicatorFor(int frameVariant, int batteryType)
{
    if (frameVariant == 1) {
        switch (batteryType) {
        case 1: return BatteryIndicator::LithiumIon;
        case 2: return BatteryIndicator::NickelMetalHydride;
        case 3: return BatteryIndicator::NickelCadmium;
        case 4: return BatteryIndicator::Lead;
        default: return BatteryIndicator::None;
        }
    }
    if (frameVariant == 2) {
        switch (batteryType) {
        case 128: return BatteryIndicator::LithiumIon;
        case 132: return BatteryIndicator::NickelMetalHydride;
        case 133: return BatteryIndicator::NickelCadmium;
        case 134: return BatteryIndicator::Lead;
        default: return BatteryIndicator::None;
        }
    }
    return BatteryIndicator::None;
}
