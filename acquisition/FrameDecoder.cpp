#include "acquisition/FrameDecoder.h"

namespace {

constexpr int kOffset = 128;
constexpr std::uint8_t kEndMarker = 0x80;
constexpr std::uint8_t kStartMarker = 0x81;

// The charger's hundredths step is the single-precision 0.01 (0x3C23D70A),
// widened; decoding with the exact decimal would change the logged bits.
constexpr double kHundredth = static_cast<double>(0.01f);

int signedByte(std::uint8_t byte) { return static_cast<int>(byte) - kOffset; }

float decimalAt(const FrameBuffer& frame, int integerIndex)
{
    const auto i = static_cast<std::size_t>(integerIndex);
    return decimalPair(frame[i], frame[i + 1]);
}

std::int32_t hundredsAt(const FrameBuffer& frame, int hundredsIndex)
{
    const auto i = static_cast<std::size_t>(hundredsIndex);
    return hundredsPair(frame[i], frame[i + 1]);
}

// 76-byte frames.
void fillShortFrame(MeasurementRecord& record, const FrameBuffer& frame)
{
    record.current = decimalAt(frame, 33);
    record.voltage = decimalAt(frame, 35);
    record.temperature = static_cast<float>(signedByte(frame[38]));
    record.auxValue = decimalAt(frame, 41);
    record.capacity = hundredsAt(frame, 43);
    record.batteryType = signedByte(frame[23]);
    record.chargeMode = signedByte(frame[8]);
    for (int cell = 0; cell < 8; ++cell)
        record.cellVoltage[cell] = decimalAt(frame, 45 + 2 * cell);
}

// 112-byte frames: no temperature, six cells, the type code as received and
// a state byte that is one above the charge mode.
void fillLongFrame(MeasurementRecord& record, const FrameBuffer& frame)
{
    record.current = decimalAt(frame, 11);
    record.voltage = decimalAt(frame, 15);
    record.temperature = 0.0f;
    record.auxValue = decimalAt(frame, 4);
    record.capacity = hundredsAt(frame, 7);
    record.batteryType = frame[2];
    record.chargeMode = static_cast<int>(frame[1]) - (kOffset + 1);
    for (int cell = 0; cell < 6; ++cell)
        record.cellVoltage[cell] = decimalAt(frame, 19 + 2 * cell);
}

} // namespace

float decimalPair(std::uint8_t integerByte, std::uint8_t hundredthsByte)
{
    const double value = static_cast<double>(signedByte(hundredthsByte)) * kHundredth
        + static_cast<double>(signedByte(integerByte));
    return static_cast<float>(value);
}

std::int32_t hundredsPair(std::uint8_t hundredsByte, std::uint8_t unitsByte)
{
    return 100 * signedByte(hundredsByte) + signedByte(unitsByte);
}

FrameKind classifyFrame(const FrameBuffer& frame, int variant)
{
    if (variant == 1) {
        if (frame[24] == kEndMarker)
            return FrameKind::End;
        if (frame[24] == kStartMarker)
            return FrameKind::Start;
        return FrameKind::Running;
    }
    if (variant == 2)
        return frame[1] == kEndMarker ? FrameKind::End : FrameKind::Start;
    return FrameKind::Running;
}

void fillRecord(MeasurementRecord& record, const FrameBuffer& frame, int variant)
{
    if (variant == 1)
        fillShortFrame(record, frame);
    else if (variant == 2)
        fillLongFrame(record, frame);
}

FrameDecoder::Result FrameDecoder::decodeFrame(const FrameBuffer& frame)
{
    const int variant = words_.frameVariant.load();
    if (variant != 1 && variant != 2)
        return Result::Continue;

    const FrameKind kind = classifyFrame(frame, variant);

    // Timer calls go to the main window; they are made before the lock is taken.
    if (kind == FrameKind::Start && words_.recordingTimer.load() == 0)
        startRecording();

    if (kind == FrameKind::End) {
        if (words_.recordingTimer.load() != 0) {
            stopRecording();
            return Result::Stop;
        }
        words_.cellsStatus.store(CellsStatus::Connect);
        host_.repaintOverviewWithoutErase();
        return Result::Continue;
    }

    liveRecord_.write([&](MeasurementRecord& record) { fillRecord(record, frame, variant); });
    return Result::Continue;
}

void FrameDecoder::startRecording()
{
    words_.secondsCounter.store(0);
    words_.recordingTimer.store(host_.startRecordingTimer());
}

void FrameDecoder::stopRecording()
{
    host_.stopRecordingTimer();
    words_.recordingTimer.store(0);
}
