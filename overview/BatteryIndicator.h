#pragma once

// The battery-type indicators of the overview, in the order of their controls.
enum class BatteryIndicator { None = -1, LithiumIon = 0, Lead = 1, NickelMetalHydride = 2, NickelCadmium = 3 };

// The indicator for a record's batteryType, read together with the frame
// variant: the two variants use different code sets.
BatteryIndicator batteryIndicatorFor(int frameVariant, int batteryType);
