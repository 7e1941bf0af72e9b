#pragma once

// Where the frame reader gets its bytes: the serial link, a file, a test script.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // One byte 1..255, or 0 when nothing arrived (time-out, error, end of
    // input, or a 0x00 byte, which the line cannot tell apart from silence).
    virtual int readByte() = 0;
};
