#pragma once

// Where the frame reader gets its bytes: the serial link, a file, a test script.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // One byte 1..255, or 0 when nothing arrived (time-out, error, end of
    // input, or a 0x00 byte, which the line cannot tell apart from silence).
    virtual int readByte() = 0;

    // A hint from the caller: it cannot act before at least `bytes` more have
    // been read. A source that waits on a slow line may wait for them together
    // instead of waking for every few; it never changes what readByte returns
    // or how long it waits for a byte that does not come. Holds until the next
    // call, counting down as bytes are read.
    virtual void expectAtLeast(int bytes) { (void)bytes; }
};
