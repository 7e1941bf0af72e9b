#include "library/Chemistry.h"

Chemistry chemistryOf(std::int32_t batteryType)
{
    switch (batteryType) {
    case 1:
    case 128: return Chemistry::Lithium;
    case 2:
    case 132: return Chemistry::NiMH;
    case 3:
    case 133: return Chemistry::NiCd;
    case 4:
    case 134: return Chemistry::Lead;
    default: return Chemistry::Unknown;
    }
}

const char* chemistryName(Chemistry chemistry)
{
    switch (chemistry) {
    case Chemistry::Lithium: return "Li-Ion/poly";
    case Chemistry::NiMH: return "NiMH";
    case Chemistry::NiCd: return "NiCd";
    case Chemistry::Lead: return "Pb";
    case Chemistry::Unknown: break;
    }
    return "unknown";
}
