#pragma once

#include "FrameCsvFormatter.h"

#include "acquisition/FrameReader.h"

#include <cstdio>

// Cuts frames exactly as the acquisition thread does and prints each one.
class FrameDump {
public:
    FrameDump(ByteSource& source, const FrameCsvFormatter& formatter, std::FILE* out)
        : reader_(source), formatter_(formatter), out_(out) {}

    // Reads one frame and prints it; returns its length, 0 when none arrived.
    int step();

    long long frames() const { return frames_; }
    long long discardedOverlongFrames() const { return reader_.discardedOverlongFrames(); }

private:
    FrameReader reader_;
    const FrameCsvFormatter& formatter_;
    std::FILE* out_;
    FrameBuffer buffer_{};
    int variant_ = 0; // like frameVariant: kept for the whole run
    long long frames_ = 0;
};
