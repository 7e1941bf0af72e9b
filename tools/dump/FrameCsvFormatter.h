#pragma once

#include "acquisition/FrameDecoder.h"

#include <string>

// One CSV line per frame, with the same fields the live record gets.
class FrameCsvFormatter {
public:
    explicit FrameCsvFormatter(bool withHex) : withHex_(withHex) {}

    std::string header() const;
    // `variant` is the frame variant after this frame's length was applied.
    std::string line(const FrameBuffer& frame, int length, int variant) const;

private:
    bool withHex_;
};
