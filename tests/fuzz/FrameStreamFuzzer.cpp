// Feeds an arbitrary byte stream through the acquisition loop's steps (clear,
// read a frame, pick the variant, decode) and through the frame dump's CSV
// line, and checks what comes out against the frame rules: whole frames only,
// cut from the stream as they came; fields equal to the decoding formulas,
// worked out here from the bytes; the start/end transitions; CSV fields that
// read back to the same bits.
#include "CsvFields.h"
#include "FuzzCheck.h"

#include "acquisition/FrameDecoder.h"
#include "tools/dump/FrameCsvFormatter.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

class BytesSource : public ByteSource {
public:
    BytesSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    int readByte() override { return next_ < size_ ? data_[next_++] : 0; }
    bool exhausted() const { return next_ >= size_; }
    std::size_t consumed() const { return next_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t next_ = 0;
};

class CountingHost : public DecoderHost {
public:
    int startRecordingTimer() override
    {
        ++starts;
        return kRecordingTimerId;
    }
    void stopRecordingTimer() override { ++stops; }
    void repaintOverviewWithoutErase() override { ++repaints; }
    int starts = 0;
    int stops = 0;
    int repaints = 0;
};

// The decoding formulas, from the frame tables, independent of the decoder.
float pair(const FrameBuffer& f, int integerIndex)
{
    const int integer = f[static_cast<std::size_t>(integerIndex)] - 128;
    const int hundredths = f[static_cast<std::size_t>(integerIndex) + 1] - 128;
    return static_cast<float>(static_cast<double>(hundredths) * static_cast<double>(0.01f) + integer);
}

std::int32_t hundreds(const FrameBuffer& f, int index)
{
    return 100 * f[static_cast<std::size_t>(index)] + f[static_cast<std::size_t>(index) + 1] - 12928;
}

MeasurementRecord expectedRecord(const FrameBuffer& f, int variant)
{
    MeasurementRecord r;
    if (variant == 1) {
        r.current = pair(f, 33);
        r.voltage = pair(f, 35);
        r.temperature = static_cast<float>(f[38] - 128);
        r.auxValue = pair(f, 41);
        r.capacity = hundreds(f, 43);
        for (int cell = 0; cell < 8; ++cell)
            r.cellVoltage[cell] = pair(f, 45 + 2 * cell);
        r.batteryType = f[23] - 128;
        r.chargeMode = f[8] - 128;
    } else {
        r.current = pair(f, 11);
        r.voltage = pair(f, 15);
        r.auxValue = pair(f, 4);
        r.capacity = hundreds(f, 7);
        for (int cell = 0; cell < 6; ++cell)
            r.cellVoltage[cell] = pair(f, 19 + 2 * cell);
        r.batteryType = f[2];
        r.chargeMode = f[1] - 129;
    }
    return r;
}

bool sameInt(const std::string& text, long long expected)
{
    return text == std::to_string(expected);
}

// The CSV line of one frame: its length, variant, kind, the decoded fields
// (reading back to the record's bits) and the frame's bytes in hex.
void checkCsv(const FrameBuffer& frame, int length, int variant, const MeasurementRecord* decoded)
{
    static const FrameCsvFormatter formatter(true);
    static const std::size_t headerColumns = columns(formatter.header()).size();
    const std::vector<std::string> c = columns(formatter.line(frame, length, variant));
    fuzzCheck(c.size() == headerColumns, "a CSV line has as many columns as the header");
    fuzzCheck(sameInt(c[0], length) && sameInt(c[1], variant), "CSV length and variant");
    if (decoded == nullptr) {
        fuzzCheck(c[2] == "end" || c[2] == "unknown", "an undecoded frame is an end frame or of unknown variant");
        for (std::size_t i = 3; i + 1 < c.size(); ++i)
            fuzzCheck(c[i].empty(), "an undecoded frame has empty value columns");
    } else {
        fuzzCheck(c[2] == "start" || c[2] == "running", "a decoded frame is a start or running frame");
        const MeasurementRecord& r = *decoded;
        fuzzCheck(sameFloat(c[3], r.auxValue) && sameFloat(c[4], r.voltage) && sameFloat(c[5], r.current)
                      && sameFloat(c[6], r.temperature),
                  "CSV floats read back to the record's bits");
        fuzzCheck(sameInt(c[7], r.capacity), "CSV capacity");
        for (int cell = 0; cell < 8; ++cell)
            fuzzCheck(sameFloat(c[8 + static_cast<std::size_t>(cell)], r.cellVoltage[cell]), "CSV cell voltages read back");
        fuzzCheck(sameInt(c[16], r.batteryType) && sameInt(c[17], r.chargeMode), "CSV type and mode");
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (int i = 0; i < length; ++i) {
        hex += kDigits[frame[static_cast<std::size_t>(i)] >> 4];
        hex += kDigits[frame[static_cast<std::size_t>(i)] & 0x0F];
    }
    fuzzCheck(c.back() == hex, "the CSV hex column is the frame's bytes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    BytesSource source(data, size);
    FrameReader reader(source);
    SharedWords words;
    LiveRecord live;
    CountingHost host;
    FrameDecoder decoder(words, live, host);
    FrameBuffer buffer{};
    long long discarded = 0;

    while (!source.exhausted()) {
        buffer.fill(0);
        const int length = reader.readFrame(buffer);
        fuzzCheck(reader.discardedOverlongFrames() >= discarded, "the overlong count never falls");
        discarded = reader.discardedOverlongFrames();
        if (length == 0)
            continue;

        // Whole frames only, exactly as they stood in the stream.
        fuzzCheck(length >= 2 && length <= kFrameBufferSize, "a frame is 2 to 112 bytes long");
        const auto n = static_cast<std::size_t>(length);
        fuzzCheck(source.consumed() >= n && std::memcmp(buffer.data(), data + source.consumed() - n, n) == 0,
                  "a frame is the bytes just read");
        fuzzCheck(buffer[0] == 0x7B && buffer[n - 1] == 0x7D, "a frame runs from brace to brace");
        for (std::size_t i = 1; i + 1 < n; ++i)
            fuzzCheck(buffer[i] != 0x7D && buffer[i] != 0x00, "no closing brace or zero byte inside a frame");
        for (std::size_t i = n; i < buffer.size(); ++i)
            fuzzCheck(buffer[i] == 0, "the buffer beyond the frame reads as zero");

        const int before = words.frameVariant.load();
        const int variant = variantForLength(length, before);
        fuzzCheck(variant == (length == 76 ? 1 : length == 112 ? 2 : before), "the variant follows the length");
        words.frameVariant = variant;

        const bool recording = words.recordingTimer.load() != 0;
        const MeasurementRecord previous = live.copy();
        const int starts = host.starts;
        const FrameDecoder::Result result = decoder.decodeFrame(buffer);
        const FrameKind kind = variant == 0 ? FrameKind::Running : classifyFrame(buffer, variant);
        const bool end = variant != 0 && kind == FrameKind::End;

        fuzzCheck((result == FrameDecoder::Result::Stop) == (end && recording), "only an end frame while recording stops");
        fuzzCheck(words.recordingTimer == 0 || words.recordingTimer == kRecordingTimerId, "the timer word is 0 or 100");
        fuzzCheck((host.starts > starts) == (variant != 0 && kind == FrameKind::Start && !recording),
                  "a start frame starts the timer only while it is stopped");
        if (host.starts > starts)
            fuzzCheck(words.secondsCounter == 0, "a start resets the seconds counter");
        if (variant == 0 || end) {
            fuzzCheck(sameBits(live.copy(), previous), "an end frame or one of no variant leaves the record alone");
            checkCsv(buffer, length, variant, nullptr);
        } else {
            const MeasurementRecord expected = expectedRecord(buffer, variant);
            fuzzCheck(sameBits(live.copy(), expected), "the record holds the decoding formulas' values");
            checkCsv(buffer, length, variant, &expected);
        }
        if (end && !recording)
            fuzzCheck(words.cellsStatus == CellsStatus::Connect, "an end frame while waiting lights connect");
        // The thread would leave its loop at Stop; reading on exercises a second charge.
    }
    return 0;
}
