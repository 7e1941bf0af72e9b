// Feeds arbitrary byte streams through the acquisition loop's steps (clear,
// read a frame, pick the variant, decode) and traps on any broken invariant.
#include "acquisition/FrameDecoder.h"

#include <cstddef>
#include <cstdint>

namespace {

class BytesSource : public ByteSource {
public:
    BytesSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    int readByte() override { return next_ < size_ ? data_[next_++] : 0; }
    bool exhausted() const { return next_ >= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t next_ = 0;
};

class QuietHost : public DecoderHost {
public:
    int startRecordingTimer() override { return kRecordingTimerId; }
    void stopRecordingTimer() override {}
    void repaintOverviewWithoutErase() override {}
};

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    BytesSource source(data, size);
    FrameReader reader(source);
    SharedWords words;
    LiveRecord live;
    QuietHost host;
    FrameDecoder decoder(words, live, host);
    FrameBuffer buffer{};

    while (!source.exhausted()) {
        buffer.fill(0);
        const int length = reader.readFrame(buffer);
        if (length == 0)
            continue;
        check(length >= 2 && length <= kFrameBufferSize);
        check(buffer[0] == 0x7B && buffer[static_cast<std::size_t>(length) - 1] == 0x7D);
        for (int i = length; i < kFrameBufferSize; ++i)
            check(buffer[static_cast<std::size_t>(i)] == 0);
        words.frameVariant = variantForLength(length, words.frameVariant.load());
        // The loop would end at Stop; going on also exercises a second charge.
        decoder.decodeFrame(buffer);
        check(words.recordingTimer == 0 || words.recordingTimer == kRecordingTimerId);
    }
    return 0;
}
