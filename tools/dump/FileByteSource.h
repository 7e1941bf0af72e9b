#pragma once

#include "acquisition/ByteSource.h"

#include <cstdio>

// Bytes from a file or standard input; 0 at the end, on an error, or for a
// 0x00 byte, as on the serial line.
class FileByteSource : public ByteSource {
public:
    explicit FileByteSource(std::FILE* file) : file_(file) {}

    int readByte() override;

    bool atEnd() const { return ended_; }
    // errno of a read error, 0 when none happened.
    int error() const { return error_; }

private:
    std::FILE* file_;
    bool ended_ = false;
    int error_ = 0;
};
