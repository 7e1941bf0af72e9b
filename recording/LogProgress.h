#pragma once

#include <cstdint>

// Follows a long pass over a log file and may stop it.
class LogProgress {
public:
    virtual ~LogProgress() = default;
    // After each block: `done` of `total` records read so far. Returning false
    // stops the pass there.
    virtual bool advance(std::int64_t done, std::int64_t total) = 0;
};
