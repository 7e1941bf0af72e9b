#include "doctor/StreamAnalysis.h"

#include <map>

namespace {

// The capture as the reader's byte source; it also says where the reader is.
class CapturedBytes : public ByteSource {
public:
    explicit CapturedBytes(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    int readByte() override { return at_ < bytes_.size() ? bytes_[at_++] : 0; }
    std::size_t position() const { return at_; }
    bool atEnd() const { return at_ >= bytes_.size(); }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 0;
};

} // namespace

StreamAnalysis analyseStream(const std::vector<std::uint8_t>& bytes)
{
    StreamAnalysis a;
    a.bytes = static_cast<std::int64_t>(bytes.size());
    CapturedBytes source(bytes);
    FrameReader reader(source);
    FrameBuffer buffer{};
    std::map<int, std::int64_t> otherLengths;
    std::int64_t firstFrameStart = -1;
    std::int64_t lastFrameEnd = -1;

    while (!source.atEnd()) {
        buffer.fill(0);
        const int length = reader.readFrame(buffer);
        if (length == 0)
            continue; // a 0x00 byte, or the end of the capture
        const auto end = static_cast<std::int64_t>(source.position());
        if (firstFrameStart < 0)
            firstFrameStart = end - length;
        lastFrameEnd = end;
        a.bytesInFrames += length;

        if (length == kShortFrameLength)
            ++a.shortFrames;
        else if (length == kLongFrameLength)
            ++a.longFrames;
        else
            ++otherLengths[length];
        a.variant = variantForLength(length, a.variant);
        if (a.variant == 0)
            continue; // the monitor does nothing with frames before it knows a variant

        const FrameKind kind = classifyFrame(buffer, a.variant);
        switch (kind) {
        case FrameKind::Start: ++a.starts; break;
        case FrameKind::Running: ++a.runnings; break;
        case FrameKind::End: ++a.ends; break;
        }
        // A frame of another length is read with the old variant and may be
        // anything: it says nothing of the charger's state.
        if (length != kShortFrameLength && length != kLongFrameLength)
            continue;
        a.hasLastKind = true;
        a.lastKind = kind;
        if (kind != FrameKind::End) {
            a.sample = MeasurementRecord{};
            fillRecord(a.sample, buffer, a.variant);
            a.sampleVariant = a.variant;
            a.hasSample = true;
        }
    }

    for (const auto& [length, count] : otherLengths) {
        a.otherFrames += count;
        if (a.commonOtherLength == 0 || count > otherLengths[a.commonOtherLength])
            a.commonOtherLength = length;
    }
    if (firstFrameStart >= 0)
        a.strayBytes = (lastFrameEnd - firstFrameStart) - a.bytesInFrames;
    a.overlongFrames = reader.discardedOverlongFrames();
    return a;
}
