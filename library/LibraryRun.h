#pragma once

#include "library/PackHistory.h"
#include "library/RunFigures.h"

#include <cstdint>
#include <optional>
#include <string>

// A run as the library lists it.
struct LibraryRun {
    std::int64_t id = 0;
    std::uint64_t hash = 0;
    std::string path; // a file that holds it now; "" when none is known
    std::int64_t size = 0;
    std::int64_t startTime = 0; // s since the epoch
    std::int64_t endTime = 0;
    RunFigures figures;
    std::optional<std::int64_t> packId;
    std::string packName;

    PackRun packRun() const { return {id, startTime, figures}; }
};
