#include "acquisition/FrameReader.h"

namespace {

constexpr int kOpenBrace = 0x7B;
constexpr int kCloseBrace = 0x7D;

} // namespace

int FrameReader::readFrame(FrameBuffer& buffer)
{
    for (;;) {
        source_.expectAtLeast(1);
        int byte = 0;
        do {
            byte = source_.readByte();
            if (byte == 0)
                return 0;
        } while (byte != kOpenBrace);

        buffer[0] = static_cast<std::uint8_t>(kOpenBrace);
        int length = 1;
        // Frames come in two lengths: the link may wait for the rest of the
        // shorter one at once, and past it for the rest of the longer one.
        // A frame of another length is only handed over a little later.
        source_.expectAtLeast(kShortFrameLength - length);
        while (length < kFrameBufferSize) {
            if (length == kShortFrameLength)
                source_.expectAtLeast(kLongFrameLength - length);
            byte = source_.readByte();
            buffer[static_cast<std::size_t>(length)] = static_cast<std::uint8_t>(byte);
            if (byte == 0)
                return 0;
            ++length;
            if (byte == kCloseBrace)
                return length;
        }

        // The buffer is full and the frame has not closed. Throw the rest away
        // up to its own closing brace: a "{" in its data is not a frame start.
        ++discardedOverlong_;
        source_.expectAtLeast(1);
        do {
            byte = source_.readByte();
            if (byte == 0)
                return 0;
        } while (byte != kCloseBrace);

        // The next frame may be short; its unused tail must read as zero, as
        // it would after the caller's clear.
        buffer.fill(0);
    }
}

int variantForLength(int length, int current)
{
    if (length == kShortFrameLength)
        return 1;
    if (length == kLongFrameLength)
        return 2;
    return current;
}
