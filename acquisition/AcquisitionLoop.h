#pragma once

#include "acquisition/FrameDecoder.h"
#include "acquisition/FrameReader.h"
#include "acquisition/LoopHost.h"

#include <atomic>

// One pass of the acquisition thread's loop, the same for the monitor and the
// recorder: read a frame and apply it, or apply the loss of data. The caller
// sleeps between passes and decides what an outcome means for its run.
class AcquisitionLoop {
public:
    enum class Read { Frame, NoFrame, Cancelled };
    enum class Outcome {
        Decoded,     // a frame was applied (it may have started a recording)
        ChargeEnded, // an end frame ended the recording
        DataLost,    // no frame while recording: recording stopped, beep, disconnect lamp
        Silence,     // no frame while waiting: disconnect lamp
        Cancelled,   // a stop request cut the read short; nothing was applied
    };

    AcquisitionLoop(ByteSource& source, SharedWords& words, LiveRecord& liveRecord, LoopHost& host,
                    const std::atomic<bool>& stopRequested);

    // read(), then apply() unless the read was cancelled: the monitor's pass.
    Outcome step();

    // Clears the buffer and reads one frame; a frame sets frameVariant from its length.
    Read read();
    // Applies what the last read() found.
    Outcome apply();

    // The frame of the last read() and how the current variant classifies it
    // (Running while no variant is known).
    const FrameBuffer& frame() const { return buffer_; }
    int length() const { return length_; }
    FrameKind kind() const;

    FrameDecoder& decoder() { return decoder_; }
    long long discardedOverlongFrames() const { return reader_.discardedOverlongFrames(); }

private:
    SharedWords& words_;
    LoopHost& host_;
    const std::atomic<bool>& stopRequested_;
    FrameReader reader_;
    FrameDecoder decoder_;
    FrameBuffer buffer_{};
    int length_ = 0;
    Read last_ = Read::NoFrame;
};
