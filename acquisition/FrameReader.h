#pragma once

#include "acquisition/ByteSource.h"

#include <array>
#include <cstdint>

constexpr int kFrameBufferSize = 112;
constexpr int kShortFrameLength = 76;  // variant 1
constexpr int kLongFrameLength = 112;  // variant 2
using FrameBuffer = std::array<std::uint8_t, kFrameBufferSize>;

// Cuts the byte stream into brace-delimited frames.
class FrameReader {
public:
    explicit FrameReader(ByteSource& source) : source_(source) {}

    // Reads one frame into `buffer` (which the caller has cleared) and returns
    // its length, both braces included, or 0 when a byte did not arrive.
    // A frame longer than the buffer is discarded up to its closing brace and
    // the reader goes on with the next frame.
    int readFrame(FrameBuffer& buffer);

    // Overlong frames thrown away so far.
    long long discardedOverlongFrames() const { return discardedOverlong_; }

private:
    ByteSource& source_;
    long long discardedOverlong_ = 0;
};

// The variant a frame of `length` selects: 76 gives 1, 112 gives 2, any other
// length keeps `current`.
int variantForLength(int length, int current);
