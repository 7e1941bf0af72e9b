#pragma once

#include <cstdint>

// The chemistry behind a record's battery type code. The two frame variants
// use code sets that do not overlap (1..4 and 128, 132..134), so a log, which
// does not say which variant wrote it, still names the chemistry.
enum class Chemistry { Unknown, Lithium, NiMH, NiCd, Lead };

Chemistry chemistryOf(std::int32_t batteryType);
// "Li-Ion/poly", "NiMH", "NiCd", "Pb"; "unknown" otherwise.
const char* chemistryName(Chemistry chemistry);
