#pragma once

#include "acquisition/DecoderHost.h"
#include "acquisition/FrameReader.h"
#include "acquisition/LiveRecord.h"
#include "acquisition/MeasurementRecord.h"
#include "acquisition/SharedWords.h"

#include <cstdint>

enum class FrameKind { Start, End, Running };

// value = (I - 128) + 0.01f * (H - 128); product and sum in double, one rounding to float.
float decimalPair(std::uint8_t integerByte, std::uint8_t hundredthsByte);
// value = 100 * (A - 128) + (B - 128)
std::int32_t hundredsPair(std::uint8_t hundredsByte, std::uint8_t unitsByte);

// Start/end/running by the variant's rule (variant 1: byte 24; variant 2: byte 1).
// Only meaningful for variant 1 or 2.
FrameKind classifyFrame(const FrameBuffer& frame, int variant);

// Fills the fields the variant carries into `record`, which the caller has zeroed.
void fillRecord(MeasurementRecord& record, const FrameBuffer& frame, int variant);

// Applies one frame: the start and end transitions and the decode into liveRecord.
class FrameDecoder {
public:
    enum class Result { Continue, Stop };

    FrameDecoder(SharedWords& words, LiveRecord& liveRecord, DecoderHost& host)
        : words_(words), liveRecord_(liveRecord), host_(host) {}

    // Uses words.frameVariant, which the caller has already updated from the length.
    Result decodeFrame(const FrameBuffer& frame);

    // What a start frame does when nothing is recorded: the counter back to 0,
    // then the timer started and its id kept (0 when it failed to start).
    void startRecording();
    // What an end frame does while recording: the timer stopped, its id cleared.
    void stopRecording();

private:
    SharedWords& words_;
    LiveRecord& liveRecord_;
    DecoderHost& host_;
};
